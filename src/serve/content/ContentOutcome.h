#ifndef CONTENTOUTCOME_H
#define CONTENTOUTCOME_H

#include "common/Outcome.h"

// Board content that a front end or the store hands in and ContentJson
// refuses; worded in ContentOutcome.cpp. subject: the field as the writer
// wrote it ("brightness", "items[3].from").
enum class ContentOutcome {
    JsonMalformed, // subject: the parser's reason
    NotAnObject,
    FieldUnknown,
    FieldMissing,
    NotText,
    ModeInvalid,
    BrightnessOutOfRange,
    SecondsInvalid,
    AlertSecondsInvalid,
    PriorityInvalid,
    DaysInvalid,
    FromInvalid,
    UntilInvalid,
    UntilEqualsFrom,
    DateInvalid,
    DatesReversed, // subject: the last date
    PlaylistInvalid, // not an array of at most 100 items
    TextTooLongForDatagram, // description: the board; limit: its characters
    BoardOutOfRange,
    CounterNameInvalid, // description: the name
    CounterValueInvalid, // limit: the largest magnitude
    NameTooLong, // limit: the most characters
    GroupInvalid, // a group's name; description: the name as given
    GroupsTooMany, // limit: the most groups
    NotAnArray,
    Repeated, // a board given twice
    BoardsMissing, // an archived alert's boards: none
    ArchiveUnknown, // subject: format or version
};

const OutcomeArea &outcomeArea(ContentOutcome kind);

#endif
