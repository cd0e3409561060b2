#ifndef PROGRAMFOLDER_H
#define PROGRAMFOLDER_H

#include <QByteArray>
#include <QString>

// The folder that holds the program, as a path the file functions can open.
namespace ProgramFolder {

QString path();

// For a folder given as the system's own bytes: the name itself when a
// QString holds it exactly, otherwise a path through a descriptor of the
// folder (/proc/self/fd/N), since a name that is not valid in the locale's
// encoding does not survive the trip into a QString and back.
QString usablePath(const QByteArray &folder);

}

#endif
