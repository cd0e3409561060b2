#include "send/FramePrint.h"

#include "common/Windows1252.h"

namespace FramePrint {

QString shown(const QByteArray &frame)
{
    return Windows1252::toUnicode(frame).replace(u'\r', QStringLiteral("\\r"));
}

QString hex(const QByteArray &frame)
{
    return QString::fromLatin1(frame.toHex(' ').toUpper());
}

} // namespace FramePrint
