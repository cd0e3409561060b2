#include "serve/content/ContentOutcome.h"

namespace {

QString field(const Outcome &outcome, const char *rule)
{
    return outcome.subject + QLatin1String(rule);
}

QString words(const Outcome &outcome)
{
    switch (outcome.areaKind<ContentOutcome>()) {
    case ContentOutcome::JsonMalformed:
        return QStringLiteral("malformed JSON: ") + outcome.subject;
    case ContentOutcome::NotAnObject:
        return field(outcome, " must be a JSON object");
    case ContentOutcome::FieldUnknown:
        return field(outcome, " is not a known field here");
    case ContentOutcome::FieldMissing:
        return field(outcome, " is required");
    case ContentOutcome::NotText:
        return field(outcome, " must be a text");
    case ContentOutcome::ModeInvalid:
        return field(outcome, " must be left, right, center, slow, medium, fast or a whole number from 0 to 5");
    case ContentOutcome::BrightnessOutOfRange:
    case ContentOutcome::BoardOutOfRange:
        return field(outcome, " must be a whole number from 0 to 99");
    case ContentOutcome::SecondsInvalid:
        return field(outcome, " must be a whole number from 1 to 86400");
    case ContentOutcome::AlertSecondsInvalid:
        return field(outcome, " must be a whole number from 1 to 604800");
    case ContentOutcome::PriorityInvalid:
        return field(outcome, " must be a whole number from 1 to 9");
    case ContentOutcome::DaysInvalid:
        return field(outcome, " must be a list of one or more of mon, tue, wed, thu, fri, sat, sun");
    case ContentOutcome::FromInvalid:
        return field(outcome, " must be a time HH:MM from 00:00 to 23:59");
    case ContentOutcome::UntilInvalid:
        return field(outcome, " must be a time HH:MM from 00:00 to 24:00");
    case ContentOutcome::UntilEqualsFrom:
        return field(outcome, " must differ from from (for the whole day use 00:00 to 24:00)");
    case ContentOutcome::DateInvalid:
        return field(outcome, " must be a date YYYY-MM-DD");
    case ContentOutcome::DatesReversed:
        return field(outcome, " must not be before firstDate");
    case ContentOutcome::PlaylistInvalid:
        return field(outcome, " must be an array of at most 100 items");
    case ContentOutcome::TextTooLongForDatagram:
        return field(outcome, " is too long for one UDP datagram: ")
                + QStringLiteral("board %1 takes at most %2 characters with its fields filled in")
                          .arg(outcome.description)
                          .arg(outcome.limit);
    case ContentOutcome::CounterNameInvalid:
        return QStringLiteral("counter name \"") + outcome.description
                + QStringLiteral("\" must be 1 to 64 letters, digits, '_', '-' or '.'");
    case ContentOutcome::NameTooLong:
        return field(outcome, " must have at most ") + QStringLiteral("%1 characters").arg(outcome.limit);
    case ContentOutcome::GroupInvalid:
        return field(outcome, " must be a group's name: 1 to 32 of a-z, 0-9, '-' and '_', and not \"all\"");
    case ContentOutcome::GroupsTooMany:
        return field(outcome, " must be a list of at most ") + QStringLiteral("%1 groups").arg(outcome.limit);
    case ContentOutcome::NotAnArray:
        return field(outcome, " must be a JSON array");
    case ContentOutcome::Repeated:
        return field(outcome, " repeats a board given before");
    case ContentOutcome::BoardsMissing:
        return field(outcome, " must be an array of one or more board numbers");
    case ContentOutcome::ArchiveUnknown:
        return field(outcome, " is not one this VaroServe reads (format \"varoserve-content\", version 1)");
    case ContentOutcome::CounterValueInvalid:
        return field(outcome, " must be a whole number from ") + QStringLiteral("-%1 to %1").arg(outcome.limit);
    }
    return {};
}

const OutcomeArea area { OutcomeArea::Content, &words };

} // namespace

const OutcomeArea &outcomeArea(ContentOutcome)
{
    return area;
}
