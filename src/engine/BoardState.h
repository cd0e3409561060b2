#ifndef BOARDSTATE_H
#define BOARDSTATE_H

#include "engine/Alert.h"
#include "engine/LiveText.h"
#include "engine/PlaylistItem.h"
#include "engine/Showing.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSet>

// One board: its playlist and where the rotation stands, its alerts, and
// the frames on their way to it.
class BoardState
{
public:
    void setPlaylist(const QList<PlaylistItem> &items);
    bool setItem(int index, const PlaylistItem &item);
    void addAlert(const Alert &alert);
    bool removeAlert(qint64 id);
    int clearAlerts();
    bool dropExpired(const QDateTime &now); // true when an alert ended

    const QList<PlaylistItem> &playlist() const { return m_items; }
    QList<Alert> alerts(const QDateTime &now) const; // live ones, highest priority first, ties newest first
    bool hasContent(const QDateTime &now) const;
    const QSet<QString> &topics() const { return m_topics; } // topics its texts use
    bool topicsEdited = false; // topics() changed since the engine last looked

    // Moves the rotation on to now and says what shows.
    Showing evaluate(const QDateTime &now, const LiveValues &values);
    // The next moment the rotation or an alert changes by itself; null: none.
    QDateTime nextChange() const;

    Showing showing;
    QByteArray frame; // what showing looks like on the line
    QByteArray pending; // the newest frame not yet on the line; empty: none
    Showing pendingShowing;
    QByteArray sentBytes;
    QDateTime sentTime;

private:
    void contentEdited();
    int nextAllowed(int after, const QDateTime &now) const;

    QList<PlaylistItem> m_items;
    QList<Alert> m_alerts; // highest priority first, ties newest first
    QSet<QString> m_topics;
    int m_current = -1; // the item whose turn it is, or -1
    QDateTime m_turnStarted;
    QDateTime m_turnEnds; // null: the item stays (the only one allowed now)
    bool m_interrupted = false; // an alert showed over the playlist
};

#endif
