#ifndef SERVICEOUTCOME_H
#define SERVICEOUTCOME_H

#include "common/Outcome.h"

// What the service's start, its API and its changes to the boards say went
// wrong; worded in ServiceOutcome.cpp.
enum class ServiceOutcome {
    TokenTooShort, // subject: the token file
    ListenFailed, // subject: HOST:PORT; description
    Unauthorized,
    PathUnknown, // subject: the path
    MethodNotAllowed, // subject: the method; description: the allowed ones
    LimitInvalid, // subject: the parameter
    CursorInvalid, // subject: the parameter
    BoardEmpty, // subject: the board; it has no playlist to change
    AlertsFull, // subject: the board; limit: the live alerts it holds
    GroupUnknown, // subject: the group; no board is in it
    BoardNotDeclared, // subject: the board
    ArchiveUnreadable, // subject: the file; description: the system's reason
    ArchiveUnwritable, // subject: the file; description: the system's reason
};

const OutcomeArea &outcomeArea(ServiceOutcome kind);

#endif
