#include "store/StoreOutcome.h"

namespace {

QString words(const Outcome &outcome)
{
    switch (outcome.areaKind<StoreOutcome>()) {
    case StoreOutcome::NotRegular:
        return QStringLiteral("The store \"%1\" is not a regular file").arg(outcome.subject);
    case StoreOutcome::NotDatabase:
        return QStringLiteral("The store \"%1\" is not a database: %2").arg(outcome.subject, outcome.description);
    case StoreOutcome::Newer:
        return QStringLiteral("The store \"%1\" was written by a newer VaroServe (store version %2)")
                .arg(outcome.subject, outcome.description);
    case StoreOutcome::Foreign:
        return QStringLiteral("The store \"%1\" is a database of another program").arg(outcome.subject);
    case StoreOutcome::Failed:
        return QStringLiteral("The store \"%1\" failed: %2").arg(outcome.subject, outcome.description);
    case StoreOutcome::InUse:
        return QStringLiteral(
                       "The store \"%1\" is in use by another VaroServe (database is locked): stop that one first")
                .arg(outcome.subject);
    case StoreOutcome::AlertUnknown:
        return QStringLiteral("no such alert: ") + outcome.subject;
    }
    return {};
}

const OutcomeArea area { OutcomeArea::Store, &words };

} // namespace

const OutcomeArea &outcomeArea(StoreOutcome)
{
    return area;
}
