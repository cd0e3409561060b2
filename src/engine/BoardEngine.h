#ifndef BOARDENGINE_H
#define BOARDENGINE_H

#include "engine/Alert.h"
#include "engine/BoardState.h"
#include "engine/Clock.h"
#include "engine/FrameSink.h"
#include "engine/LocalZone.h"
#include "engine/PlaylistItem.h"
#include "engine/Showing.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <array>
#include <limits>

// What every board on one line shows and when: playlists, schedules,
// alerts and live fields, turned into frames for the line. Frames go out
// one at a time while the line is free, the newest per board; an unchanged
// frame is never sent again.
class BoardEngine : public QObject
{
    Q_OBJECT
public:
    static constexpr int boardCount = 100;
    // The longest the engine sleeps: a wall clock set forward or back is
    // noticed within this.
    static constexpr int maxSleepMs = 5000;

    BoardEngine(const Clock &clock, FrameSink &sink, QObject *parent = nullptr);

    void setPlaylist(int board, const QList<PlaylistItem> &items); // empty clears; starts at its first item
    // Changes one item in place (the bus's mode and brightness): the rotation
    // keeps its place and time. False when there is no such item.
    bool setItem(int board, int index, const PlaylistItem &item);
    void addAlert(int board, const Alert &alert); // id given by the caller (store)
    bool removeAlert(int board, qint64 id);
    int clearAlerts(int board);
    void setCounter(const QString &name, qint64 value);
    void setCounters(const QMap<QString, qint64> &counters); // all of them: the others are gone
    qint64 counter(const QString &name) const; // 0 when never set
    QMap<QString, qint64> counters() const;
    void setTopicValue(const QString &topic, const QString &payload); // {mqtt:TOPIC}
    QSet<QString> topics() const; // topics some stored text uses
    QList<int> boards() const; // boards with a playlist or a live alert, ascending
    Showing showing(int board) const;
    QList<PlaylistItem> playlist(int board) const;
    QList<Alert> alerts(int board) const; // live ones, highest priority first
    struct Sent
    {
        QDateTime time;
        QByteArray bytes;
    };
    Sent lastSent(int board) const;
    bool started() const { return m_started; }
    // The clock's time as schedules and fields read it: local, at the zone's
    // offset of that minute.
    QDateTime localNow() const;

    void start(); // every board with content sends its current frame once
    void resend(int board); // its current frame once more, unless one is on its way
    void update(); // re-evaluate at clock.now(); tests call it after moving the clock
    void lineReady(); // the sink stopped being busy: send the next pending frame

signals:
    // Journal: every frame written, failed when the line did not take it.
    void frameSent(int board, const QByteArray &frame, const Showing &showing, bool failed);
    void showingChanged(int board); // what the board shows changed
    void contentChanged(int board); // its playlist or alerts changed
    void topicsChanged();

private:
    void refresh(int board, const QDateTime &now);
    void refreshAll();
    void flush(const QDateTime &now);
    void contentEdited(int board);
    void recountTopics();
    void arm(const QDateTime &now); // the timer, to the next moment anything can change
    LiveValues values(const QDateTime &now) const;

    const Clock &m_clock;
    mutable LocalZone m_zone;
    FrameSink &m_sink;
    std::array<BoardState, boardCount> m_boards;
    // As each board was last evaluated: its next change in milliseconds
    // since the epoch (noChange: none), and whether it has content.
    static constexpr qint64 noChange = std::numeric_limits<qint64>::max();
    std::array<qint64, boardCount> m_nextChange;
    std::array<bool, boardCount> m_hasContent = {};
    QMap<QString, qint64> m_counters;
    QHash<QString, QString> m_topicValues;
    QSet<QString> m_topics;
    QList<int> m_queue; // boards with a pending frame, in the order they changed
    QDateTime m_updated; // when every board was last re-evaluated
    QDateTime m_latest; // the latest time any board was evaluated at: earlier means the clock was set back
    QTimer m_timer { this };
    bool m_started = false;
    bool m_flushing = false;
};

#endif
