#ifndef BOARDCONTROL_H
#define BOARDCONTROL_H

#include "common/Outcome.h"
#include "engine/PlaylistItem.h"
#include "store/ServeStore.h"

#include <QJsonValue>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class BoardEngine;
class Clock;
struct Showing;

// Every change any front end makes (the API, the bus, the page): checked
// by ContentJson, committed to the store, and only then handed to the
// engine, so what an answer confirms survives a crash. Boards and counter
// names come as the front end received them (a path or topic segment).
class BoardControl : public QObject
{
    Q_OBJECT

public:
    BoardControl(ServeStore &store, BoardEngine &engine, const Clock &clock, QObject *parent = nullptr);

    // The store's content into the engine; what no longer reads is skipped
    // and told in the returned lines. Journals every frame from now on.
    QStringList load();

    Outcome setPlaylist(const QString &board, const QJsonValue &items);
    Outcome setMessage(const QString &board, const QJsonValue &message); // a playlist of that one item
    Outcome clearPlaylist(const QString &board);
    Outcome raiseAlert(const QString &board, const QJsonValue &alert, qint64 &id);
    Outcome deleteAlert(const QString &board, const QString &id); // AlertUnknown: none on that board
    Outcome clearAlerts(const QString &board, int *cleared = nullptr);
    // A board holds at most this many live alerts; one more is AlertsFull.
    static constexpr int alertsLimit = 100;
    Outcome setCounter(const QString &name, const QJsonValue &value, qint64 &result);
    Outcome addCounter(const QString &name, const QJsonValue &by, qint64 &result); // undefined by: 1
    // The current item's mode or brightness (the item that shows, or the
    // first one while an alert shows); BoardEmpty without a playlist.
    Outcome setMode(const QString &board, const QJsonValue &mode);
    Outcome setBrightness(const QString &board, const QJsonValue &brightness);

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

private:
    Outcome storePlaylist(int board, const QList<PlaylistItem> &items);
    Outcome changeItem(const QString &board, const std::function<Outcome(PlaylistItem &)> &change);
    Outcome fits(int board, const QString &text, const QString &field) const;
    Outcome fits(int board, const QList<PlaylistItem> &items) const;
    void journalFrame(int board, const QByteArray &frame, const Showing &showing, bool failed);

    ServeStore &m_store;
    BoardEngine &m_engine;
    const Clock &m_clock;
    QList<ServeStore::JournalEntry> m_journal;
    QTimer m_journalTimer;
    qint64 m_frameLimit = 0;
};

#endif
