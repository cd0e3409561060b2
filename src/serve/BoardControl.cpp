#include "serve/BoardControl.h"

#include "engine/BoardEngine.h"
#include "engine/Clock.h"
#include "engine/ContentJson.h"
#include "engine/LiveText.h"
#include "protocol/BoardFrame.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

QByteArray compact(const QJsonValue &json)
{
    return (json.isArray() ? QJsonDocument(json.toArray()) : QJsonDocument(json.toObject()))
            .toJson(QJsonDocument::Compact);
}

QJsonValue parsed(const QByteArray &text)
{
    const QJsonDocument document = QJsonDocument::fromJson(text);
    return document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
}

} // namespace

BoardControl::BoardControl(ServeStore &store, BoardEngine &engine, const Clock &clock, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_engine(engine)
    , m_clock(clock)
{
    m_journalTimer.setSingleShot(true);
    connect(&m_journalTimer, &QTimer::timeout, this, &BoardControl::flushJournal);
}

QStringList BoardControl::load()
{
    QStringList skipped;
    const QDateTime now = m_clock.now();
    m_store.dropAlertsEndedBy(now);
    const QMap<int, QByteArray> playlists = m_store.playlists();
    for (auto it = playlists.cbegin(); it != playlists.cend(); ++it) {
        auto items = ContentJson::playlist(parsed(it.value()));
        if (items.ok())
            items.error = fits(it.key(), items.value);
        if (items.ok() && it.key() >= 0 && it.key() < BoardEngine::boardCount)
            m_engine.setPlaylist(it.key(), items.value);
        else
            skipped.append(QStringLiteral("board %1's stored playlist: %2").arg(it.key()).arg(items.error.subject));
    }
    for (const ServeStore::StoredAlert &stored : m_store.alerts()) {
        auto alert = ContentJson::alertRecord(parsed(stored.record));
        if (alert.ok())
            alert.error = fits(stored.board, alert.value.text, QStringLiteral("text"));
        alert.value.id = stored.id;
        if (alert.ok() && stored.board >= 0 && stored.board < BoardEngine::boardCount)
            m_engine.addAlert(stored.board, alert.value);
        else
            skipped.append(QStringLiteral("stored alert %1: %2").arg(stored.id).arg(alert.error.subject));
    }
    const QMap<QString, qint64> counters = m_store.counters();
    for (auto it = counters.cbegin(); it != counters.cend(); ++it)
        m_engine.setCounter(it.key(), it.value());
    connect(&m_engine, &BoardEngine::frameSent, this, &BoardControl::journalFrame, Qt::UniqueConnection);
    return skipped;
}

void BoardControl::journalFrame(int board, const QByteArray &frame, const Showing &showing, bool failed)
{
    m_journal.append({ m_clock.now(), board, showing.text, ContentJson::sourceName(showing.source), frame, failed });
    if (!m_journalTimer.isActive())
        m_journalTimer.start(journalBatchMs);
}

void BoardControl::flushJournal()
{
    m_journalTimer.stop();
    const Outcome put = m_store.appendJournal(std::exchange(m_journal, {}));
    if (!put.ok())
        emit journalFailed(put);
}

QList<ServeStore::JournalEntry> BoardControl::journal(const ServeStore::JournalPage &page)
{
    flushJournal();
    return m_store.journal(page);
}

// Each character of a text is one byte of the frame (the board's code page).
Outcome BoardControl::fits(int board, const QString &text, const QString &field) const
{
    if (m_frameLimit <= 0)
        return {};
    const qint64 around = BoardFrame::build(QString::number(board), 0, QStringLiteral("99"), {}).size();
    if (LiveText::widestLength(text) + around <= m_frameLimit)
        return {};
    Outcome refused { Outcome::TextTooLongForDatagram, field, CommMode::Udp, 0, QString::number(board) };
    refused.limit = m_frameLimit - around;
    return refused;
}

Outcome BoardControl::fits(int board, const QList<PlaylistItem> &items) const
{
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (const Outcome fit = fits(board, items.at(i).text, QStringLiteral("items[%1].text").arg(i)); !fit.ok())
            return fit;
    }
    return {};
}

Outcome BoardControl::storePlaylist(int board, const QList<PlaylistItem> &items)
{
    const Outcome stored
            = m_store.setPlaylist(board, items.isEmpty() ? QByteArray() : compact(ContentJson::toJson(items)));
    if (stored.ok())
        m_engine.setPlaylist(board, items);
    return stored;
}

Outcome BoardControl::setPlaylist(const QString &board, const QJsonValue &items)
{
    const auto number = ContentJson::board(board);
    if (!number.ok())
        return number.error;
    const auto playlist = ContentJson::playlist(items);
    if (!playlist.ok())
        return playlist.error;
    if (const Outcome fit = fits(number.value, playlist.value); !fit.ok())
        return fit;
    return storePlaylist(number.value, playlist.value);
}

Outcome BoardControl::setMessage(const QString &board, const QJsonValue &message)
{
    const auto number = ContentJson::board(board);
    if (!number.ok())
        return number.error;
    const auto item = ContentJson::message(message);
    if (!item.ok())
        return item.error;
    if (const Outcome fit = fits(number.value, item.value.text, QStringLiteral("text")); !fit.ok())
        return fit;
    return storePlaylist(number.value, { item.value });
}

Outcome BoardControl::clearPlaylist(const QString &board)
{
    const auto number = ContentJson::board(board);
    if (!number.ok())
        return number.error;
    return storePlaylist(number.value, {});
}

Outcome BoardControl::raiseAlert(const QString &board, const QJsonValue &json, qint64 &id)
{
    const auto number = ContentJson::board(board);
    if (!number.ok())
        return number.error;
    const QDateTime now = m_clock.now();
    auto alert = ContentJson::alert(json, now);
    if (!alert.ok())
        return alert.error;
    if (const Outcome fit = fits(number.value, alert.value.text, QStringLiteral("text")); !fit.ok())
        return fit;
    if (m_engine.alerts(number.value).size() >= alertsLimit)
        return { Outcome::AlertsFull, QString::number(number.value), CommMode::None, 0, {}, 0, alertsLimit };
    m_store.dropAlertsEndedBy(now);
    const Outcome stored
            = m_store.addAlert(number.value, compact(ContentJson::record(alert.value)), alert.value.ends, id);
    if (!stored.ok())
        return stored;
    alert.value.id = id;
    m_engine.addAlert(number.value, alert.value);
    return {};
}

Outcome BoardControl::deleteAlert(const QString &board, const QString &id)
{
    const auto number = ContentJson::board(board);
    if (!number.ok())
        return number.error;
    bool ok = false;
    const qint64 value = id.toLongLong(&ok);
    bool live = false;
    for (const Alert &alert : m_engine.alerts(number.value))
        live = live || (ok && alert.id == value);
    if (!live)
        return { Outcome::AlertUnknown, id };
    const Outcome deleted = m_store.deleteAlert(value);
    if (deleted.ok() || deleted.kind == Outcome::AlertUnknown)
        m_engine.removeAlert(number.value, value);
    return deleted;
}

Outcome BoardControl::clearAlerts(const QString &board, int *cleared)
{
    const auto number = ContentJson::board(board);
    if (!number.ok())
        return number.error;
    const Outcome stored = m_store.clearAlerts(number.value);
    if (stored.ok()) {
        const int count = m_engine.clearAlerts(number.value);
        if (cleared)
            *cleared = count;
    }
    return stored;
}

Outcome BoardControl::setCounter(const QString &name, const QJsonValue &value, qint64 &result)
{
    const auto checkedName = ContentJson::counterName(name);
    if (!checkedName.ok())
        return checkedName.error;
    const auto number = ContentJson::counterValue(value, QStringLiteral("value"));
    if (!number.ok())
        return number.error;
    const Outcome stored = m_store.setCounter(checkedName.value, number.value);
    if (stored.ok()) {
        m_engine.setCounter(checkedName.value, number.value);
        result = number.value;
    }
    return stored;
}

Outcome BoardControl::addCounter(const QString &name, const QJsonValue &by, qint64 &result)
{
    const auto checkedName = ContentJson::counterName(name);
    if (!checkedName.ok())
        return checkedName.error;
    const auto step = by.isUndefined() ? ContentJson::Parsed<qint64> { 1, {} }
                                       : ContentJson::counterValue(by, QStringLiteral("by"));
    if (!step.ok())
        return step.error;
    const auto sum = ContentJson::counterSum(m_engine.counter(checkedName.value), step.value);
    if (!sum.ok())
        return sum.error;
    const Outcome stored = m_store.setCounter(checkedName.value, sum.value);
    if (stored.ok()) {
        m_engine.setCounter(checkedName.value, sum.value);
        result = sum.value;
    }
    return stored;
}

Outcome BoardControl::changeItem(const QString &board, const std::function<Outcome(PlaylistItem &)> &change)
{
    const auto number = ContentJson::board(board);
    if (!number.ok())
        return number.error;
    QList<PlaylistItem> items = m_engine.playlist(number.value);
    if (items.isEmpty())
        return { Outcome::BoardEmpty, board };
    const Showing showing = m_engine.showing(number.value);
    const int index = showing.source == Showing::Playlist ? showing.itemIndex : 0;
    if (const Outcome changed = change(items[index]); !changed.ok())
        return changed;
    const Outcome stored = m_store.setPlaylist(number.value, compact(ContentJson::toJson(items)));
    if (stored.ok())
        m_engine.setItem(number.value, index, items.at(index));
    return stored;
}

Outcome BoardControl::setMode(const QString &board, const QJsonValue &mode)
{
    return changeItem(board, [&mode](PlaylistItem &item) {
        const auto parsed = ContentJson::mode(mode);
        if (parsed.ok())
            item.mode = parsed.value;
        return parsed.error;
    });
}

Outcome BoardControl::setBrightness(const QString &board, const QJsonValue &brightness)
{
    return changeItem(board, [&brightness](PlaylistItem &item) {
        const auto parsed = ContentJson::brightness(brightness);
        if (parsed.ok())
            item.brightness = parsed.value;
        return parsed.error;
    });
}
