#ifndef MANUALCLOCK_H
#define MANUALCLOCK_H

#include "engine/Clock.h"

// A clock the test sets and moves; the engine never sleeps in a test.
class ManualClock : public Clock
{
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2026, 12, 7), QTime(9, 0)))
        : m_now(std::move(start))
    { }
    QDateTime now() const override { return m_now; }
    void set(const QDateTime &time) { m_now = time; }
    void advance(qint64 ms) { m_now = m_now.addMSecs(ms); }

private:
    QDateTime m_now;
};

#endif
