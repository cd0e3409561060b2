#ifndef OUTCOME_H
#define OUTCOME_H

#include "common/CommMode.h"

#include <QString>

// What a rule did, as data. The texts the operator sees are worded from it
// in one place (MessageText).
struct Outcome
{
    enum Kind {
        Done,
        ArgumentNotRecognized, // subject: the argument as typed
        PortNotAvailable, // port; description: the system's reason
        PortCannotOpen, // port; description
        SendFailed, // mode, port; description
        ListCreateFailed, // subject: the file's path; description
        ListWriteFailed, // subject; description
        BoardNumberInvalid,
        BrightnessInvalid,
    };

    Kind kind = Done;
    QString subject;
    CommMode mode = CommMode::None;
    int port = 0;
    QString description;
    qint64 unsent = 0; // bytes queued before that will not go out

    bool ok() const { return kind == Done; }
};

#endif
