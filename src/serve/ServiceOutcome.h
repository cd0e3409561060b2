#ifndef SERVICEOUTCOME_H
#define SERVICEOUTCOME_H

#include "common/Outcome.h"

// What the service's start, its API and its changes to the boards say went
// wrong; worded in ServiceOutcome.cpp.
enum class ServiceOutcome {
    TokenTooShort, // subject: the token file; limit: its line, 0 for a bare token
    TokenLineInvalid, // subject: the token file; limit: its line; description: what is wrong
    ListenFailed, // subject: HOST:PORT; description
    TlsFileInvalid, // subject: the certificate or key file; description: why
    Unauthorized,
    Forbidden, // subject: the caller's name; description: the role it lacks
    AddressLocked, // subject: the address; limit: the seconds it is refused for
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
