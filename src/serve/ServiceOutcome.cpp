#include "serve/ServiceOutcome.h"

namespace {

QString words(const Outcome &outcome)
{
    switch (outcome.areaKind<ServiceOutcome>()) {
    case ServiceOutcome::TokenTooShort:
        return QStringLiteral("The token in \"%1\"%2 is shorter than 16 characters")
                .arg(outcome.subject, outcome.limit > 0 ? QStringLiteral(" on line %1").arg(outcome.limit) : QString());
    case ServiceOutcome::TokenLineInvalid:
        return QStringLiteral("\"%1\" line %2: %3").arg(outcome.subject).arg(outcome.limit).arg(outcome.description);
    case ServiceOutcome::ListenFailed:
        return QStringLiteral("Unable to listen on %1: %2").arg(outcome.subject, outcome.description);
    case ServiceOutcome::TlsFileInvalid:
        return QStringLiteral("\"%1\" cannot be used for TLS: %2").arg(outcome.subject, outcome.description);
    case ServiceOutcome::Unauthorized:
        return QStringLiteral("a valid \"Authorization: Bearer TOKEN\" header is required");
    case ServiceOutcome::Forbidden:
        return QStringLiteral("the token \"%1\" lacks the %2 role that this needs")
                .arg(outcome.subject, outcome.description);
    case ServiceOutcome::AddressLocked:
        return QStringLiteral("too many wrong tokens from %1: every request from it is refused for %2 s")
                .arg(outcome.subject)
                .arg(outcome.limit);
    case ServiceOutcome::PathUnknown:
        return QStringLiteral("no such path: ") + outcome.subject;
    case ServiceOutcome::MethodNotAllowed:
        return outcome.subject + QStringLiteral(" is not allowed here; allowed: ") + outcome.description;
    case ServiceOutcome::LimitInvalid:
        return outcome.subject + QStringLiteral(" must be a whole number from 1 to 1000");
    case ServiceOutcome::CursorInvalid:
        return outcome.subject + QStringLiteral(" must be the id of a journal entry, a whole number from 1");
    case ServiceOutcome::BoardEmpty:
        return QStringLiteral("board %1 has no playlist whose item could change").arg(outcome.subject);
    case ServiceOutcome::AlertsFull:
        return QStringLiteral("board %1 holds %2 live alerts already: end one first")
                .arg(outcome.subject)
                .arg(outcome.limit);
    case ServiceOutcome::GroupUnknown:
        return QStringLiteral("no board is in the group \"%1\"").arg(outcome.subject);
    case ServiceOutcome::BoardNotDeclared:
        return QStringLiteral("board %1 is not declared").arg(outcome.subject);
    case ServiceOutcome::ArchiveUnreadable:
        return QStringLiteral("Unable to read the content from \"%1\": %2").arg(outcome.subject, outcome.description);
    case ServiceOutcome::ArchiveUnwritable:
        return QStringLiteral("Unable to write the content to \"%1\": %2").arg(outcome.subject, outcome.description);
    }
    return {};
}

const OutcomeArea area { OutcomeArea::Service, &words };

} // namespace

const OutcomeArea &outcomeArea(ServiceOutcome)
{
    return area;
}
