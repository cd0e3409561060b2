#ifndef FRAMETEXT_H
#define FRAMETEXT_H

#include "board/FrameRecord.h"

#include <QString>

// The words the board's window and log use for what arrived.
namespace FrameText {

QString modeName(int mode);
// "CR 35 43 32 CR ...": hex bytes, each carriage return written CR.
QString hex(const QByteArray &bytes, qsizetype limit = 256);
// "C2 Center, B75, A "HELLO", D"
QString commands(const DecodedFrame &frame);
QString summary(const FrameRecord &record);
QString summary(const ErrorRecord &record);

} // namespace FrameText

#endif
