#include "engine/BoardEngine.h"

#include "protocol/BoardFrame.h"

#include <algorithm>

namespace {

bool isBoard(int board)
{
    return board >= 0 && board < BoardEngine::boardCount;
}

qint64 minuteOf(const QDateTime &local)
{
    return local.date().toJulianDay() * 1440 + local.time().msecsSinceStartOfDay() / 60000;
}

} // namespace

BoardEngine::BoardEngine(const Clock &clock, FrameSink &sink, QObject *parent)
    : QObject(parent)
    , m_clock(clock)
    , m_sink(sink)
{
    m_nextChange.fill(noChange);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &BoardEngine::update);
}

void BoardEngine::setPlaylist(int board, const QList<PlaylistItem> &items)
{
    if (!isBoard(board))
        return;
    m_boards[board].setPlaylist(items);
    contentEdited(board);
}

bool BoardEngine::setItem(int board, int index, const PlaylistItem &item)
{
    if (!isBoard(board) || !m_boards[board].setItem(index, item))
        return false;
    contentEdited(board);
    return true;
}

void BoardEngine::addAlert(int board, const Alert &alert)
{
    if (!isBoard(board))
        return;
    m_boards[board].addAlert(alert);
    contentEdited(board);
}

bool BoardEngine::removeAlert(int board, qint64 id)
{
    if (!isBoard(board) || !m_boards[board].removeAlert(id))
        return false;
    contentEdited(board);
    return true;
}

int BoardEngine::clearAlerts(int board)
{
    if (!isBoard(board))
        return 0;
    const int count = m_boards[board].clearAlerts();
    if (count > 0)
        contentEdited(board);
    return count;
}

void BoardEngine::setCounter(const QString &name, qint64 value)
{
    auto found = m_counters.find(name);
    if (found != m_counters.end() && *found == value)
        return;
    m_counters.insert(name, value);
    refreshAll();
}

void BoardEngine::setCounters(const QMap<QString, qint64> &counters)
{
    if (counters == m_counters)
        return;
    m_counters = counters;
    refreshAll();
}

qint64 BoardEngine::counter(const QString &name) const
{
    return m_counters.value(name);
}

QMap<QString, qint64> BoardEngine::counters() const
{
    return m_counters;
}

void BoardEngine::setTopicValue(const QString &topic, const QString &payload)
{
    if (!m_topics.contains(topic))
        return; // nobody shows it: kept values stay bounded by the stored texts
    const QString value = LiveText::topicValue(payload);
    auto found = m_topicValues.find(topic);
    if (found != m_topicValues.end() && *found == value)
        return;
    m_topicValues.insert(topic, value);
    refreshAll();
}

QSet<QString> BoardEngine::topics() const
{
    return m_topics;
}

QList<int> BoardEngine::boards() const
{
    const QDateTime now = localNow();
    QList<int> found;
    for (int board = 0; board < boardCount; ++board) {
        if (m_boards[board].hasContent(now))
            found.append(board);
    }
    return found;
}

Showing BoardEngine::showing(int board) const
{
    return isBoard(board) ? m_boards[board].showing : Showing();
}

QList<PlaylistItem> BoardEngine::playlist(int board) const
{
    return isBoard(board) ? m_boards[board].playlist() : QList<PlaylistItem>();
}

QList<Alert> BoardEngine::alerts(int board) const
{
    return isBoard(board) ? m_boards[board].alerts(localNow()) : QList<Alert>();
}

BoardEngine::Sent BoardEngine::lastSent(int board) const
{
    if (!isBoard(board))
        return {};
    return Sent { m_boards[board].sentTime, m_boards[board].sentBytes };
}

void BoardEngine::start()
{
    // A board may have lost power: what it showed before is not trusted.
    for (BoardState &state : m_boards) {
        state.sentBytes.clear();
        state.sentTime = {};
        state.pending.clear();
    }
    m_queue.clear();
    m_started = true;
    m_updated = {};
    update();
}

void BoardEngine::resend(int board)
{
    if (!isBoard(board) || !m_started || !m_boards[board].pending.isEmpty())
        return;
    m_boards[board].sentBytes.clear();
    const QDateTime now = localNow();
    refresh(board, now);
    flush(now);
}

// A board changes by itself only at its next change or with the minute, so
// a wake-up re-evaluates the boards that are due; all of them in a new
// minute, after a clock set back, and at the start.
void BoardEngine::update()
{
    const QDateTime now = localNow();
    const bool all = !m_updated.isValid() || now < m_latest || minuteOf(now) != minuteOf(m_updated);
    const qint64 at = now.toMSecsSinceEpoch();
    for (int board = 0; board < boardCount; ++board) {
        if (all || m_nextChange[board] <= at)
            refresh(board, now);
    }
    if (all)
        m_updated = m_latest = now;
    flush(now);
    arm(now);
}

void BoardEngine::lineReady()
{
    flush(localNow());
}

void BoardEngine::contentEdited(int board)
{
    recountTopics();
    const QDateTime now = localNow();
    refresh(board, now);
    flush(now);
    arm(now);
    emit contentChanged(board);
}

void BoardEngine::refreshAll()
{
    m_updated = {};
    update();
}

void BoardEngine::refresh(int board, const QDateTime &now)
{
    m_latest = std::max(m_latest, now);
    BoardState &state = m_boards[board];
    const bool expired = state.dropExpired(now);
    const Showing shown = state.evaluate(now, values(now));
    const QDateTime next = state.nextChange();
    m_nextChange[board] = next.isValid() ? next.toMSecsSinceEpoch() : noChange;
    m_hasContent[board] = state.hasContent(now);
    const bool changed = shown != state.showing;
    if (changed || state.frame.isEmpty()) {
        state.showing = shown;
        state.frame
                = BoardFrame::build(QString::number(board), shown.mode, QString::number(shown.brightness), shown.text);
    }
    // Nothing is sent to a board that never had content; one that lost it
    // is sent the empty frame once.
    if (m_started && (m_hasContent[board] || !state.sentBytes.isEmpty())) {
        if (state.frame == state.sentBytes) {
            if (!state.pending.isEmpty() && m_queue.removeOne(board))
                state.pending.clear();
        } else if (state.frame != state.pending) {
            if (state.pending.isEmpty())
                m_queue.append(board);
            state.pending = state.frame;
            state.pendingShowing = shown;
        }
    }
    // Signals last: a slot that changes this board again starts from a
    // finished state.
    if (expired) {
        recountTopics();
        emit contentChanged(board);
    }
    if (changed)
        emit showingChanged(board);
}

void BoardEngine::flush(const QDateTime &now)
{
    if (m_flushing)
        return; // a sink that reports ready from inside write()
    m_flushing = true;
    while (!m_queue.isEmpty() && !m_sink.busy()) {
        const int board = m_queue.takeFirst();
        BoardState &state = m_boards[board];
        const QByteArray frame = std::exchange(state.pending, {});
        state.sentBytes = frame;
        state.sentTime = now;
        const bool taken = m_sink.write(board, frame);
        emit frameSent(board, frame, state.pendingShowing, !taken);
    }
    m_flushing = false;
}

void BoardEngine::recountTopics()
{
    bool edited = false;
    for (BoardState &state : m_boards)
        edited = std::exchange(state.topicsEdited, false) || edited;
    if (!edited)
        return;
    QSet<QString> used;
    for (const BoardState &state : m_boards)
        used.unite(state.topics());
    if (used == m_topics)
        return;
    m_topics = used;
    m_topicValues.removeIf([&used](const auto &entry) { return !used.contains(entry.key()); });
    emit topicsChanged();
}

// One timer for every board, to the earliest moment anything can change by
// itself: a turn's end, an alert's end, or the next minute (schedules,
// {time}, the date). Each board's next change is the one kept when it was
// last evaluated.
void BoardEngine::arm(const QDateTime &now)
{
    if (!m_started)
        return;
    const qint64 next = *std::min_element(m_nextChange.cbegin(), m_nextChange.cend());
    qint64 wait = next == noChange ? maxSleepMs : std::min<qint64>(maxSleepMs, next - now.toMSecsSinceEpoch());
    if (std::find(m_hasContent.cbegin(), m_hasContent.cend(), true) != m_hasContent.cend())
        wait = std::min<qint64>(wait, 60000 - now.time().msecsSinceStartOfDay() % 60000);
    m_timer.start(int(std::max<qint64>(wait, 1)));
}

// Schedules and fields read local time, whatever time zone the clock reports
// in; read once for each wake-up and handed down.
QDateTime BoardEngine::localNow() const
{
    return m_zone.local(m_clock.now());
}

LiveValues BoardEngine::values(const QDateTime &now) const
{
    return LiveValues { now, &m_counters, &m_topicValues };
}
