#ifndef SHOWING_H
#define SHOWING_H

#include <QDateTime>
#include <QString>

// What one board shows at a moment, and why.
struct Showing
{
    enum Source { None, Playlist, Alert } source = None;
    int itemIndex = -1; // Playlist: index in the playlist
    int itemCount = 0; // the playlist's length, whatever shows
    qint64 alertId = 0; // Alert: its id
    QString text; // expanded
    int mode = 0;
    int brightness = 99;
    QDateTime since; // when the item's turn began, or when the alert was raised; null for None
    QDateTime ends; // when it gives way: the alert's end, the item's turn; null: it stays

    friend bool operator==(const Showing &, const Showing &) = default;
};

#endif
