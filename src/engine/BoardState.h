#ifndef BOARDSTATE_H
#define BOARDSTATE_H

#include "engine/Alert.h"
#include "engine/LiveText.h"
#include "engine/PlaylistItem.h"
#include "engine/Showing.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>

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
    QList<Alert> alerts() const; // highest priority first, ties newest first
    bool hasContent() const { return !m_items.isEmpty() || !m_alerts.isEmpty(); }
    QList<QString> texts() const; // every stored text

    // Moves the rotation on to now and says what shows.
    Showing evaluate(const QDateTime &now, const LiveValues &values);
    // The next moment the rotation or an alert changes on its own; null: none.
    QDateTime nextChange() const;

    int number = 0;
    Showing showing;
    QByteArray pending; // the newest frame not yet on the line; empty: none
    Showing pendingShowing;
    QByteArray sentBytes;
    QDateTime sentTime;

private:
    const Alert *topAlert() const;
    int nextEligible(int after, const QDateTime &now) const;

    QList<PlaylistItem> m_items;
    QList<Alert> m_alerts;
    int m_current = -1; // the item whose turn it is, or -1
    QDateTime m_turnEnds; // null: the item stays (the only one allowed)
    QDateTime m_turnStarted;
    bool m_interrupted = false; // an alert showed over the playlist
};

#endif
