#ifndef FRAMEPRINT_H
#define FRAMEPRINT_H

#include <QByteArray>
#include <QString>

// How VaroSend prints a frame for a person to read.
namespace FramePrint {

// The frame as text, each CR shown as \r.
QString shown(const QByteArray &frame);

// "0D 35 43 ...": every byte in upper-case hex.
QString hex(const QByteArray &frame);

} // namespace FramePrint

#endif
