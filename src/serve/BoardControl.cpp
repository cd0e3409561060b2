#include "serve/BoardControl.h"

#include "engine/BoardEngine.h"
#include "engine/Clock.h"
#include "engine/LiveText.h"
#include "protocol/BoardFrame.h"
#include "serve/ContentTransfer.h"
#include "serve/ServiceOutcome.h"
#include "serve/content/ContentJson.h"
#include "serve/content/ContentOutcome.h"
#include "store/StoreOutcome.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

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
    m_site.load(m_store.boards());
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
        alert.value.group = stored.group;
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
    Outcome refused { ContentOutcome::TextTooLongForDatagram, field, CommMode::Udp, 0, QString::number(board) };
    refused.limit = m_frameLimit - around;
    return refused;
}

Outcome BoardControl::fits(int board, const QList<PlaylistItem> &items, const QString &place) const
{
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (const Outcome fit = fits(board, items.at(i).text, QStringLiteral("%1[%2].text").arg(place).arg(i));
            !fit.ok())
            return fit;
    }
    return {};
}

// Stored for every board in one transaction before any board shows it.
Outcome BoardControl::storePlaylist(const QList<int> &boards, const QList<PlaylistItem> &items)
{
    const QByteArray json = items.isEmpty() ? QByteArray() : compact(ContentJson::toJson(items));
    Outcome stored = m_store.begin();
    for (qsizetype i = 0; stored.ok() && i < boards.size(); ++i)
        stored = m_store.setPlaylist(boards.at(i), json);
    if (!stored.ok()) {
        m_store.rollback();
        return stored;
    }
    if (stored = m_store.commit(); stored.ok()) {
        for (const int board : boards)
            m_engine.setPlaylist(board, items);
    }
    return stored;
}

Result<QList<PlaylistItem>> BoardControl::setPlaylist(BoardNumber board, const QList<PlaylistItem> &items)
{
    Outcome applied = fits(board.value(), items);
    if (applied.ok())
        applied = storePlaylist({ board.value() }, items);
    return { applied.ok() ? items : QList<PlaylistItem>(), applied };
}

Result<QList<PlaylistItem>> BoardControl::setMessage(BoardNumber board, const PlaylistItem &message)
{
    Outcome applied = fits(board.value(), message.text, QStringLiteral("text"));
    if (applied.ok())
        applied = storePlaylist({ board.value() }, { message });
    return { applied.ok() ? QList<PlaylistItem> { message } : QList<PlaylistItem>(), applied };
}

Outcome BoardControl::clearPlaylist(BoardNumber board)
{
    return storePlaylist({ board.value() }, {});
}

// Fits every board and leaves room on each before one id goes to all.
Result<Alert> BoardControl::storeAlert(const QList<int> &boards, Alert alert)
{
    for (const int board : boards) {
        if (const Outcome fit = fits(board, alert.text, QStringLiteral("text")); !fit.ok())
            return { {}, fit };
        if (m_engine.alerts(board).size() >= alertsLimit)
            return { {},
                     { ServiceOutcome::AlertsFull, QString::number(board), CommMode::None, 0, {}, 0, alertsLimit } };
    }
    m_store.dropAlertsEndedBy(m_clock.now());
    alert.id = 0; // the store gives it
    const Outcome stored
            = m_store.addAlert(boards, compact(ContentJson::record(alert)), alert.ends, alert.group, alert.id);
    if (!stored.ok())
        return { {}, stored };
    for (const int board : boards)
        m_engine.addAlert(board, alert);
    return { alert, {} };
}

Result<Alert> BoardControl::raiseAlert(BoardNumber board, Alert alert)
{
    alert.group.clear();
    return storeAlert({ board.value() }, alert);
}

Outcome BoardControl::deleteAlert(BoardNumber board, qint64 id)
{
    const QList<Alert> alerts = m_engine.alerts(board.value());
    if (std::none_of(alerts.cbegin(), alerts.cend(), [id](const Alert &alert) { return alert.id == id; }))
        return { StoreOutcome::AlertUnknown, QString::number(id) };
    const Outcome deleted = m_store.deleteAlert(id, board.value());
    if (deleted.ok() || deleted.is(StoreOutcome::AlertUnknown))
        m_engine.removeAlert(board.value(), id);
    return deleted;
}

Result<int> BoardControl::clearAlerts(BoardNumber board)
{
    const Outcome stored = m_store.clearAlerts(board.value());
    if (!stored.ok())
        return { 0, stored };
    return { m_engine.clearAlerts(board.value()), {} };
}

Result<qint64> BoardControl::storeCounter(const CounterName &name, qint64 value)
{
    const Outcome stored = m_store.setCounter(name.text(), value);
    if (!stored.ok())
        return { 0, stored };
    m_engine.setCounter(name.text(), value);
    return { value, {} };
}

Result<qint64> BoardControl::setCounter(const CounterName &name, qint64 value)
{
    return storeCounter(name, value);
}

Result<qint64> BoardControl::addCounter(const CounterName &name, qint64 by)
{
    const auto sum = ContentJson::counterSum(m_engine.counter(name.text()), by);
    return sum.ok() ? storeCounter(name, sum.value) : sum;
}

Result<PlaylistItem> BoardControl::changeItem(BoardNumber board, const std::function<void(PlaylistItem &)> &change)
{
    const int number = board.value();
    QList<PlaylistItem> items = m_engine.playlist(number);
    if (items.isEmpty())
        return { {}, { ServiceOutcome::BoardEmpty, QString::number(number) } };
    const Showing showing = m_engine.showing(number);
    const int index = showing.source == Showing::Playlist ? showing.itemIndex : 0;
    change(items[index]);
    const Outcome stored = m_store.setPlaylist(number, compact(ContentJson::toJson(items)));
    if (!stored.ok())
        return { {}, stored };
    m_engine.setItem(number, index, items.at(index));
    return { items.at(index), {} };
}

Result<PlaylistItem> BoardControl::setMode(BoardNumber board, int mode)
{
    return changeItem(board, [mode](PlaylistItem &item) { item.mode = mode; });
}

Result<PlaylistItem> BoardControl::setBrightness(BoardNumber board, int brightness)
{
    return changeItem(board, [brightness](PlaylistItem &item) { item.brightness = brightness; });
}

Result<ServeStore::Declaration> BoardControl::declare(BoardNumber board, const ServeStore::Declaration &declaration)
{
    const Outcome stored = m_store.declareBoard(board.value(), declaration);
    if (!stored.ok())
        return { {}, stored };
    m_site.declare(board.value(), declaration);
    emit declarationChanged(board.value());
    return { declaration, {} };
}

Outcome BoardControl::forget(BoardNumber board)
{
    bool declared = false;
    if (const Outcome stored = m_store.forgetBoard(board.value(), declared); !stored.ok())
        return stored;
    if (!declared)
        return { ServiceOutcome::BoardNotDeclared, QString::number(board.value()) };
    m_site.forget(board.value());
    emit declarationChanged(board.value());
    return {};
}

Result<QList<int>> BoardControl::members(const QString &group) const
{
    const QList<int> boards = m_site.members(group, m_engine.boards());
    if (boards.isEmpty())
        return { {}, { ServiceOutcome::GroupUnknown, group } };
    return { boards, {} };
}

Result<QList<int>> BoardControl::setGroupPlaylist(const QString &group, const QList<PlaylistItem> &items)
{
    auto boards = members(group);
    for (qsizetype i = 0; boards.ok() && i < boards.value.size(); ++i)
        boards.error = fits(boards.value.at(i), items);
    if (boards.ok())
        boards.error = storePlaylist(boards.value, items);
    return boards;
}

Result<QList<int>> BoardControl::raiseGroupAlert(const QString &group, Alert &alert)
{
    auto boards = members(group);
    if (!boards.ok())
        return boards;
    alert.group = group;
    const auto raised = storeAlert(boards.value, alert);
    if (!raised.ok())
        return { {}, raised.error };
    alert = raised.value;
    return boards;
}

Result<QList<int>> BoardControl::endGroupAlerts(const QString &group, qint64 id)
{
    if (const auto boards = members(group); !boards.ok())
        return boards;
    QList<QPair<int, qint64>> live; // board, id
    for (const int board : m_engine.boards()) {
        for (const Alert &alert : m_engine.alerts(board)) {
            if (alert.group == group && (id == 0 || alert.id == id))
                live.append({ board, alert.id });
        }
    }
    if (id > 0 && live.isEmpty())
        return { {}, { StoreOutcome::AlertUnknown, QString::number(id) } };
    if (const Outcome deleted = m_store.deleteGroupAlerts(group, id);
        !deleted.ok() && !deleted.is(StoreOutcome::AlertUnknown))
        return { {}, deleted };
    QList<int> ended;
    for (const auto &[board, alertId] : live) {
        m_engine.removeAlert(board, alertId);
        if (!ended.contains(board))
            ended.append(board);
    }
    return { ended, {} };
}

ContentArchive BoardControl::exportContent() const
{
    return ContentTransfer::read(m_store, m_clock.now());
}

Outcome BoardControl::importContent(const ContentArchive &archive)
{
    for (qsizetype i = 0; i < archive.boards.size(); ++i) {
        const ContentArchive::Board &board = archive.boards.at(i);
        if (const Outcome fit = fits(board.number, board.playlist, QStringLiteral("boards[%1].playlist").arg(i));
            !fit.ok())
            return fit;
    }
    for (qsizetype i = 0; i < archive.alerts.size(); ++i) {
        for (const int board : archive.alerts.at(i).boards) {
            if (const Outcome fit
                = fits(board, archive.alerts.at(i).alert.text, QStringLiteral("alerts[%1].text").arg(i));
                !fit.ok())
                return fit;
        }
    }
    if (const Outcome written = ContentTransfer::write(m_store, archive); !written.ok())
        return written;
    // Every board shows the new content: those it changed have sent their
    // frame (or have it on its way), the others send theirs again.
    QSet<int> sent;
    const auto watch = connect(&m_engine, &BoardEngine::frameSent, this,
                               [&sent](int board, const QByteArray &, const Showing &, bool) { sent.insert(board); });
    QList<int> changed = m_site.declared();
    // A playlist that load() replaces is left to it: the same one again
    // sends nothing on its way, rather than an empty frame first.
    QSet<int> keeps;
    for (const ContentArchive::Board &board : archive.boards) {
        if (!board.playlist.isEmpty())
            keeps.insert(board.number);
    }
    for (const int board : m_engine.boards()) {
        if (!keeps.contains(board))
            m_engine.setPlaylist(board, {});
        m_engine.clearAlerts(board);
    }
    m_engine.setCounters(archive.counters);
    load();
    disconnect(watch);
    for (const int board : m_engine.boards()) {
        if (!sent.contains(board))
            m_engine.resend(board);
    }
    changed += m_site.declared();
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    for (const int board : std::as_const(changed))
        emit declarationChanged(board);
    return {};
}
