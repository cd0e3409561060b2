#ifndef CLOCK_H
#define CLOCK_H

#include <QDateTime>

// Where the engine reads the time, so that tests can set it.
class Clock
{
public:
    virtual ~Clock() = default;
    // The current instant, in whatever time zone the clock keeps; the
    // engine's LocalZone turns it into local time.
    virtual QDateTime now() const = 0;
};

// The system's time, in UTC: reading it looks at no time-zone file.
class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
};

#endif
