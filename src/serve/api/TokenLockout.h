#ifndef TOKENLOCKOUT_H
#define TOKENLOCKOUT_H

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>

// Wrong tokens counted by address: after failuresLimit of them within
// windowMs, the address is refused for windowMs, whatever it sends.
class TokenLockout
{
public:
    static constexpr int failuresLimit = 10;
    static constexpr qint64 windowMs = 60000;
    // Beyond this many addresses, those whose failures are all old go.
    static constexpr qsizetype addressesLimit = 4096;

    TokenLockout() { m_clock.start(); }
    bool locked(const QHostAddress &address) const;
    // True when this failure locks the address.
    bool failed(const QHostAddress &address);

private:
    struct Record
    {
        QList<qint64> failures; // when, oldest first
        qint64 lockedUntil = -1;
    };
    void prune(qint64 now);

    QElapsedTimer m_clock;
    QHash<QHostAddress, Record> m_records;
};

#endif
