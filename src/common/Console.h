#ifndef CONSOLE_H
#define CONSOLE_H

#include <QString>

// Standard output and standard error, in the locale's encoding.
namespace Console {

// One line on standard output; false when it could not be written.
bool out(const QString &line);

// A text on standard error, its lone CRs written as line breaks.
void error(const QString &text);

} // namespace Console

#endif
