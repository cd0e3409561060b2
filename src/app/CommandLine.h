#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include <QString>
#include <QStringList>

namespace CommandLine {

// The command-line text after the program name: the arguments joined by
// single spaces, as the program sees it on Windows.
inline QString text(const QStringList &arguments)
{
    return arguments.mid(1).join(u' ');
}

}

#endif
