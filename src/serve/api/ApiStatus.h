#ifndef APISTATUS_H
#define APISTATUS_H

#include "common/Outcome.h"

#include <QByteArray>

// The one place where what happened becomes an HTTP status: one switch for
// the kinds the programs share, one for each area's own, so that a kind left
// out fails the build rather than answering as a default would say.
namespace ApiStatus {

int of(const Outcome &outcome);
QByteArray reason(int status); // "Not Found"

// A whole HTTP/1.1 answer {"error": "..."} that closes the connection, for
// a request refused before the server has read it.
QByteArray closingAnswer(const Outcome &outcome);

} // namespace ApiStatus

#endif
