#ifndef CLOCK_H
#define CLOCK_H

#include <QDateTime>

// Where the engine reads the time, so that tests can set it.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0; // local time
};

// The system's local time; it follows the TZ of the process.
class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

#endif
