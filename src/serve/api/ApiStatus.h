#ifndef APISTATUS_H
#define APISTATUS_H

#include "common/Outcome.h"

#include <QByteArray>

// The one place where what happened becomes an HTTP status.
namespace ApiStatus {

int of(Outcome::Kind kind);
QByteArray reason(int status); // "Not Found"

// A whole HTTP/1.1 answer {"error": "..."} that closes the connection, for
// a request refused before the server has read it.
QByteArray closingAnswer(const Outcome &outcome);

} // namespace ApiStatus

#endif
