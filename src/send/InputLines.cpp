#include "send/InputLines.h"

#include "messages/TypedText.h"

namespace InputLines {

QStringList split(const QByteArray &input)
{
    QStringList messages;
    qsizetype start = 0;
    while (start < input.size()) {
        qsizetype end = input.indexOf('\n', start);
        if (end < 0)
            end = input.size();
        QByteArrayView line(input.constData() + start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        messages.append(TypedText::withoutControls(QString::fromLocal8Bit(line)));
        start = end + 1;
    }
    return messages;
}

} // namespace InputLines
