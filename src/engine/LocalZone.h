#ifndef LOCALZONE_H
#define LOCALZONE_H

#include <QByteArray>
#include <QDateTime>

#include <limits>

// Local time as the C library reads the zone: TZ, or /etc/localtime when TZ
// is unset. Each reading costs the library a look at the zone's file, so
// the offset from UTC is worked out once for each minute of UTC (zones
// change their offsets on whole minutes) and the zone is looked at again
// only then: a changed zone shows within a minute.
class LocalZone
{
public:
    // The same instant with the local date and time, its offset fixed.
    QDateTime local(const QDateTime &instant);

private:
    void reread();

    qint64 m_minute = std::numeric_limits<qint64>::min(); // of UTC, since the epoch
    int m_offset = 0; // seconds ahead of UTC during m_minute
    QByteArray m_fileSeen; // the identity of the file TZ names, as last looked at
};

#endif
