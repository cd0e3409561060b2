#include "protocol/BoardFrame.h"

#include "common/TrimSpaces.h"
#include "common/Windows1252.h"

namespace BoardFrame {

QByteArray build(const QString &boardNumber, int presentIndex, const QString &brightness, const QString &message)
{
    const QString head = u'\r' + boardNumber;
    const QString text = head + u'C' + QString::number(presentIndex) + head + u'B' + (u'0' + brightness).right(2) + head
            + u'A' + TrimSpaces(message) + head + u'D';
    return Windows1252::fromUnicode(text);
}

} // namespace BoardFrame
