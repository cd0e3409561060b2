#include "serve/AuditTrail.h"

#include "engine/Clock.h"

Outcome AuditTrail::record(ServeStore::AuditEntry entry)
{
    entry.time = m_clock.now();
    return m_store.appendAudit(entry);
}
