#include "engine/Schedule.h"

namespace Schedule {

QDate windowDay(const PlaylistItem &item, const QDateTime &local)
{
    const QTime time = local.time();
    const int minute = time.hour() * 60 + time.minute();
    QDate day;
    if (item.fromMinute < item.untilMinute) {
        if (minute >= item.fromMinute && minute < item.untilMinute)
            day = local.date();
    } else if (item.fromMinute > item.untilMinute) {
        if (minute >= item.fromMinute)
            day = local.date();
        else if (minute < item.untilMinute)
            day = local.date().addDays(-1);
    }
    if (!day.isValid() || !(item.days & (1 << (day.dayOfWeek() - 1))))
        return {};
    if ((item.firstDate.isValid() && day < item.firstDate) || (item.lastDate.isValid() && day > item.lastDate))
        return {};
    return day;
}

bool allows(const PlaylistItem &item, const QDateTime &local)
{
    return windowDay(item, local).isValid();
}

bool isAlways(const PlaylistItem &item)
{
    return item.days == 0x7f && item.fromMinute == 0 && item.untilMinute == 1440 && !item.firstDate.isValid()
            && !item.lastDate.isValid();
}

} // namespace Schedule
