#ifndef LOGLINE_H
#define LOGLINE_H

#include "board/FrameRecord.h"

#include <QByteArray>

// One JSON object per line, for scripts: what the board shows after a frame,
// or what it could not read.
namespace LogLine {

QByteArray frame(const FrameRecord &record);
QByteArray error(const ErrorRecord &record);

} // namespace LogLine

#endif
