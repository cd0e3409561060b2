#include "serve/api/TokenLockout.h"

bool TokenLockout::locked(const QHostAddress &address) const
{
    const auto found = m_records.constFind(address);
    return found != m_records.cend() && found->lockedUntil > m_clock.elapsed();
}

bool TokenLockout::failed(const QHostAddress &address)
{
    const qint64 now = m_clock.elapsed();
    if (m_records.size() >= addressesLimit && !m_records.contains(address))
        prune(now);
    Record &record = m_records[address];
    while (!record.failures.isEmpty() && record.failures.first() <= now - windowMs)
        record.failures.removeFirst();
    record.failures.append(now);
    if (record.failures.size() < failuresLimit)
        return false;
    record.failures.clear();
    record.lockedUntil = now + windowMs;
    return true;
}

void TokenLockout::prune(qint64 now)
{
    m_records.removeIf([now](const QHash<QHostAddress, Record>::iterator it) {
        return it->lockedUntil <= now && (it->failures.isEmpty() || it->failures.last() <= now - windowMs);
    });
}
