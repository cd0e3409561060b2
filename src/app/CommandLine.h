#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include <QString>
#include <QStringList>

namespace CommandLine {

// The command-line text after the program name: the arguments joined by
// single spaces, as the program sees it on Windows.
inline QString text(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments.join(u' ');
}

} // namespace CommandLine

#endif
