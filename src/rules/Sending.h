#ifndef SENDING_H
#define SENDING_H

#include "common/Outcome.h"

#include <QByteArray>
#include <QList>
#include <QString>

class Transport;

// What SEND does with the four fields: the board-number and brightness
// checks, the frame, and the transport.
namespace Sending {

struct Fields
{
    QString boardNum;
    int presentIndex = 0;
    QString bright;
    QString message;
};

struct Result
{
    Fields fields; // as the checks leave them: trimmed, defaults filled in
    QByteArray frame; // empty when a check failed: nothing goes out
    QList<Outcome> problems; // in the order the operator is told
    bool boardNumFailed = false;
    bool brightFailed = false;

    bool ok() const { return problems.isEmpty(); }
};

// Runs the checks and builds the frame; sends nothing. An invalid board
// number would address another board, and an invalid brightness would go
// out as its last two characters, so a failed check leaves no frame.
Result prepare(const Fields &fields);

// prepare(), then the frame to the transport when every check passed.
Result send(Transport &transport, const Fields &fields);

} // namespace Sending

#endif
