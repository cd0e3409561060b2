#ifndef AUDITTRAIL_H
#define AUDITTRAIL_H

#include "store/ServeStore.h"

class Clock;

// Who asked for each change, from the API or the bus, and whether it was
// applied: stored before the change is answered, so that a kill -9 right
// after an answer keeps its entry.
class AuditTrail
{
public:
    AuditTrail(ServeStore &store, const Clock &clock)
        : m_store(store)
        , m_clock(clock)
    { }

    Outcome record(ServeStore::AuditEntry entry); // its time is now
    QList<ServeStore::AuditEntry> entries(const ServeStore::JournalPage &page) const { return m_store.audit(page); }

private:
    ServeStore &m_store;
    const Clock &m_clock;
};

#endif
