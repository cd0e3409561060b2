#ifndef BOARDCONTROL_H
#define BOARDCONTROL_H

#include "common/Result.h"
#include "engine/Alert.h"
#include "engine/PlaylistItem.h"
#include "serve/Site.h"
#include "serve/content/BoardNumber.h"
#include "serve/content/ContentArchive.h"
#include "serve/content/CounterName.h"
#include "store/ServeStore.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class BoardEngine;
class Clock;
struct Showing;

// Every change any front end makes (the API, the bus, the page), as the
// front end decoded it with ContentJson: checked against what the board and
// the line allow, committed to the store, and only then handed to the
// engine, so what an answer confirms survives a crash. Each change returns
// what it applied, so no front end looks it up again.
class BoardControl : public QObject
{
    Q_OBJECT

public:
    BoardControl(ServeStore &store, BoardEngine &engine, const Clock &clock, QObject *parent = nullptr);

    // The store's content into the engine; what no longer reads is skipped
    // and told in the returned lines. Journals every frame from now on.
    QStringList load();

    Result<QList<PlaylistItem>> setPlaylist(BoardNumber board, const QList<PlaylistItem> &items);
    Result<QList<PlaylistItem>> setMessage(BoardNumber board, const PlaylistItem &message); // a playlist of it alone
    Outcome clearPlaylist(BoardNumber board);
    Result<Alert> raiseAlert(BoardNumber board, Alert alert); // the alert with its id
    Outcome deleteAlert(BoardNumber board, qint64 id); // AlertUnknown: none on that board
    Result<int> clearAlerts(BoardNumber board); // how many ended
    // A board holds at most this many live alerts; one more is AlertsFull.
    static constexpr int alertsLimit = 100;
    Result<qint64> setCounter(const CounterName &name, qint64 value); // the counter's new value
    Result<qint64> addCounter(const CounterName &name, qint64 by);
    // The current item (the item that shows, or the first one while an alert
    // shows) with its mode or brightness changed; BoardEmpty without a playlist.
    Result<PlaylistItem> setMode(BoardNumber board, int mode);
    Result<PlaylistItem> setBrightness(BoardNumber board, int brightness);

    // A board's name and groups; a declared board is known while it has no
    // content. Forgetting leaves its content; BoardNotDeclared when it was not.
    Result<ServeStore::Declaration> declare(BoardNumber board, const ServeStore::Declaration &declaration);
    Outcome forget(BoardNumber board);
    const Site &site() const { return m_site; }
    // The boards a group names now, ascending ("all": every declared board and
    // every board with content); GroupUnknown when it names none.
    Result<QList<int>> members(const QString &group) const;
    // One change to every board of a group: checked on each board first,
    // stored in one transaction, then shown on all together. Each returns
    // the boards it changed.
    Result<QList<int>> setGroupPlaylist(const QString &group, const QList<PlaylistItem> &items);
    Result<QList<int>> raiseGroupAlert(const QString &group, Alert &alert); // alert.id: the one id on every board
    Result<QList<int>> endGroupAlerts(const QString &group, qint64 id = 0); // 0: all sent to it

    // The whole content, and all of it replaced: checked against the line
    // first, stored in one transaction, then every board sends its frame.
    ContentArchive exportContent() const;
    Outcome importContent(const ContentArchive &archive);

    // The most bytes a frame may have on the line (a UDP datagram's), or 0:
    // a text that could not fit it on its board is refused when stored.
    void setFrameLimit(qint64 bytes) { m_frameLimit = bytes; }

    const BoardEngine &engine() const { return m_engine; }
    const Clock &clock() const { return m_clock; }
    QList<ServeStore::JournalEntry> journal(const ServeStore::JournalPage &page);
    // The journal is written in batches, once a second: frames are not
    // changes a client waits for (reading the journal writes what is
    // pending first), and one transaction for many is cheap.
    void flushJournal();
    static constexpr int journalBatchMs = 1000;

signals:
    void journalFailed(const Outcome &outcome);
    void declarationChanged(int board);

private:
    Outcome storePlaylist(const QList<int> &boards, const QList<PlaylistItem> &items);
    Result<Alert> storeAlert(const QList<int> &boards, Alert alert);
    Result<PlaylistItem> changeItem(BoardNumber board, const std::function<void(PlaylistItem &)> &change);
    Result<qint64> storeCounter(const CounterName &name, qint64 value);
    Outcome fits(int board, const QString &text, const QString &field) const;
    // items: the place the items are named by in a refusal.
    Outcome fits(int board, const QList<PlaylistItem> &items, const QString &place = QStringLiteral("items")) const;
    void journalFrame(int board, const QByteArray &frame, const Showing &showing, bool failed);

    ServeStore &m_store;
    BoardEngine &m_engine;
    const Clock &m_clock;
    QList<ServeStore::JournalEntry> m_journal;
    QTimer m_journalTimer;
    qint64 m_frameLimit = 0;
    Site m_site;
};

#endif
