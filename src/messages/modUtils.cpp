#include "messages/modUtils.h"

namespace modUtils {

namespace {
constexpr qint16 maxPosition = 32767;
}

qint16 SkipSpaces(const QString &text, qint16 start)
{
    qint16 position = start;
    while (position >= 1 && position <= text.size() && position < maxPosition && text.at(position - 1) == u' ')
        ++position;
    return position;
}

qint16 DigitValue(const QString &text, qint16 position)
{
    const int difference = text.at(position - 1).unicode() - u'0';
    return difference >= 0 && difference <= 9 ? qint16(difference) : qint16(-1);
}

qint16 ParseDecimal(const QString &text, qint16 &position)
{
    position = SkipSpaces(text, position);
    qint16 value = 0;
    while (position >= 1 && position <= text.size()) {
        const qint16 digit = DigitValue(text, position);
        if (digit == -1 || value * 10 + digit > maxPosition)
            break;
        value = qint16(value * 10 + digit);
        if (position == maxPosition)
            break; // the position cannot move on; the digit is taken all the same
        ++position;
    }
    return value;
}

} // namespace modUtils
