#ifndef PLAYLISTITEM_H
#define PLAYLISTITEM_H

#include <QDate>
#include <QString>

// One entry of a board's playlist, checked (the service's ContentJson does that).
struct PlaylistItem
{
    QString text; // after the typed-text treatment, fields unexpanded
    int mode = 0; // 0..5: left right center slow medium fast
    int brightness = 99; // 0..99
    int seconds = 10; // 1..86400
    quint8 days = 0x7f; // bit 0 Monday .. bit 6 Sunday
    int fromMinute = 0; // 0..1439
    int untilMinute = 1440; // 0..1440; earlier than from: runs across midnight
    QDate firstDate, lastDate; // null: open

    friend bool operator==(const PlaylistItem &, const PlaylistItem &) = default;
};

#endif
