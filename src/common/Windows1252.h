#ifndef WINDOWS1252_H
#define WINDOWS1252_H

#include <QByteArray>
#include <QString>

// The board and the message list file speak the Windows "ANSI" code page
// 1252. Qt 6 no longer ships legacy codecs without ICU, and the table is
// small, so the conversion lives here.
namespace Windows1252 {

// Characters the code page cannot represent become '?'.
QByteArray fromUnicode(const QString &text);
QString toUnicode(const QByteArray &bytes);

} // namespace Windows1252

#endif
