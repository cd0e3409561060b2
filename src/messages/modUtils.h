#ifndef MODUTILS_H
#define MODUTILS_H

#include <QString>
#include <QtGlobal>

// Number reading for the numeric fields. Positions are 1-based and, like
// the parsed value, signed 16-bit: no position or value passes 32767.
namespace modUtils {

qint16 SkipSpaces(const QString &text, qint16 start);
qint16 DigitValue(const QString &text, qint16 position);
qint16 ParseDecimal(const QString &text, qint16 &position);

} // namespace modUtils

#endif
