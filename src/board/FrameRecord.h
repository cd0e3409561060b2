#ifndef FRAMERECORD_H
#define FRAMERECORD_H

#include "board/DisplayState.h"
#include "protocol/DecodeError.h"
#include "protocol/DecodedFrame.h"

#include <QDateTime>
#include <QString>

// A frame as the board took it: where and when it came from, and what the
// board shows since.
struct FrameRecord
{
    QDateTime time;
    QString source; // sender address and port, or the device
    QString line; // the serial line settings, where there is a line
    DecodedFrame frame;
    DisplayState shown;
};

struct ErrorRecord
{
    QDateTime time;
    QString source;
    DecodeError error;
};

#endif
