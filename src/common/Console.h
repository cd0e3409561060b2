#ifndef CONSOLE_H
#define CONSOLE_H

#include <QString>

// Standard output and standard error, in the locale's encoding.
namespace Console {

// One line on standard output; false when it could not be written.
bool out(const QString &line);

// A text on standard error, its lone CRs written as line breaks.
void error(const QString &text);

// A closed standard stream would lend its number to the next file opened,
// the serial port among them, and printing would then write to the board:
// each closed one is opened on /dev/null. Returns whether standard input was open.
bool holdStandardStreams();

} // namespace Console

#endif
