#include "engine/BoardState.h"

#include "engine/Schedule.h"

#include <algorithm>

namespace {

bool before(const Alert &a, const Alert &b)
{
    if (a.priority != b.priority)
        return a.priority > b.priority;
    if (a.raised != b.raised)
        return a.raised > b.raised;
    return a.id > b.id;
}

} // namespace

void BoardState::setPlaylist(const QList<PlaylistItem> &items)
{
    m_items = items;
    m_current = -1;
    m_turnStarted = {};
    m_turnEnds = {};
    m_interrupted = false;
    contentEdited();
}

bool BoardState::setItem(int index, const PlaylistItem &item)
{
    if (index < 0 || index >= m_items.size())
        return false;
    m_items[index] = item;
    contentEdited();
    return true;
}

void BoardState::addAlert(const Alert &alert)
{
    removeAlert(alert.id);
    m_alerts.insert(std::lower_bound(m_alerts.begin(), m_alerts.end(), alert, before), alert);
    contentEdited();
}

bool BoardState::removeAlert(qint64 id)
{
    const bool removed = m_alerts.removeIf([id](const Alert &alert) { return alert.id == id; }) > 0;
    if (removed)
        contentEdited();
    return removed;
}

int BoardState::clearAlerts()
{
    const int count = int(m_alerts.size());
    m_alerts.clear();
    contentEdited();
    return count;
}

bool BoardState::dropExpired(const QDateTime &now)
{
    const bool dropped = m_alerts.removeIf([&now](const Alert &alert) { return alert.ends <= now; }) > 0;
    if (dropped)
        contentEdited();
    return dropped;
}

QList<Alert> BoardState::alerts(const QDateTime &now) const
{
    QList<Alert> live;
    for (const Alert &alert : m_alerts) {
        if (alert.ends > now)
            live.append(alert);
    }
    return live;
}

bool BoardState::hasContent(const QDateTime &now) const
{
    return !m_items.isEmpty()
            || std::any_of(m_alerts.cbegin(), m_alerts.cend(), [&now](const Alert &alert) { return alert.ends > now; });
}

void BoardState::contentEdited()
{
    QSet<QString> used;
    for (const PlaylistItem &item : std::as_const(m_items))
        used.unite(LiveText::topics(item.text));
    for (const Alert &alert : std::as_const(m_alerts))
        used.unite(LiveText::topics(alert.text));
    if (used != m_topics) {
        m_topics = used;
        topicsEdited = true;
    }
}

int BoardState::nextAllowed(int after, const QDateTime &now) const
{
    const int count = int(m_items.size());
    for (int step = 1; step <= count; ++step) {
        const int index = ((after < 0 ? -1 : after) + step) % count;
        if (Schedule::allows(m_items.at(index), now))
            return index;
    }
    return -1;
}

Showing BoardState::evaluate(const QDateTime &now, const LiveValues &values)
{
    Showing shown;
    shown.itemCount = int(m_items.size());
    if (!m_alerts.isEmpty()) {
        const Alert &alert = m_alerts.constFirst();
        m_interrupted = true;
        shown.source = Showing::Alert;
        shown.alertId = alert.id;
        shown.text = LiveText::expand(alert.text, values);
        shown.mode = alert.mode;
        shown.brightness = alert.brightness;
        shown.since = alert.raised;
        shown.ends = alert.ends;
        return shown;
    }

    if (m_turnStarted > now)
        m_turnStarted = now; // the wall clock was set back: the turn starts again
    const bool currentAllowed
            = m_current >= 0 && m_current < m_items.size() && Schedule::allows(m_items.at(m_current), now);
    if (currentAllowed && (m_interrupted || !m_turnStarted.isValid()))
        m_turnStarted = now; // the interrupted item gets its full seconds again
    m_interrupted = false;
    const int allowed = int(std::count_if(m_items.cbegin(), m_items.cend(),
                                          [&now](const PlaylistItem &item) { return Schedule::allows(item, now); }));
    const bool turnOver = currentAllowed && allowed > 1 && m_turnStarted.addSecs(m_items.at(m_current).seconds) <= now;
    if (!currentAllowed || turnOver) {
        const int next = nextAllowed(m_current, now);
        if (next < 0) {
            m_turnStarted = {};
            m_turnEnds = {};
            return shown; // m_current stays: the rotation goes on from there
        }
        m_current = next;
        m_turnStarted = now;
    }
    const PlaylistItem &item = m_items.at(m_current);
    m_turnEnds = allowed > 1 ? m_turnStarted.addSecs(item.seconds) : QDateTime();
    shown.source = Showing::Playlist;
    shown.itemIndex = m_current;
    shown.text = LiveText::expand(item.text, values);
    shown.mode = item.mode;
    shown.brightness = item.brightness;
    shown.since = m_turnStarted;
    shown.ends = m_turnEnds;
    return shown;
}

QDateTime BoardState::nextChange() const
{
    QDateTime next = m_alerts.isEmpty() ? m_turnEnds : QDateTime();
    for (const Alert &alert : m_alerts) {
        if (!next.isValid() || alert.ends < next)
            next = alert.ends;
    }
    return next;
}
