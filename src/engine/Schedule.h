#ifndef SCHEDULE_H
#define SCHEDULE_H

#include "engine/PlaylistItem.h"

#include <QDate>
#include <QDateTime>

// When a playlist item may show. A window that runs across midnight belongs
// to the day it began: an item for Mondays from 22:00 until 02:00 shows late
// on Monday and early on Tuesday, never early on Monday; its dates are
// judged by that day too.
namespace Schedule {

// The day whose window holds the moment, or a null date when none does.
QDate windowDay(const PlaylistItem &item, const QDateTime &local);
bool allows(const PlaylistItem &item, const QDateTime &local);
bool isAlways(const PlaylistItem &item); // every day, all day, no dates

} // namespace Schedule

#endif
