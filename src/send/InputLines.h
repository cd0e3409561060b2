#ifndef INPUTLINES_H
#define INPUTLINES_H

#include <QByteArray>
#include <QStringList>

// Messages read from a script: one per line, in the locale's encoding. A CR LF
// or LF line end is not part of the message, and no empty message follows a
// last line end. Each message is cleaned as the window cleans typed text.
namespace InputLines {

QStringList split(const QByteArray &input);

}

#endif
