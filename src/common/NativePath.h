#ifndef NATIVEPATH_H
#define NATIVEPATH_H

#include <QByteArray>
#include <QString>

// Paths the file functions can open, whatever bytes the system's names are
// made of. A name that is not valid in the locale's encoding does not
// survive the trip into a QString and back, so such a folder is reached
// through a descriptor of it instead (/proc/self/fd/N).
namespace NativePath {

// A folder given as the system's own bytes: its name itself when a QString
// holds it exactly, otherwise the path through its descriptor.
QString usableFolder(const QByteArray &folder);

// The folder that holds the program.
QString programFolder();

// The per-user configuration folder: $XDG_CONFIG_HOME, or ~/.config.
QString configFolder();

// The per-user data folder: $XDG_DATA_HOME, or ~/.local/share.
QString dataFolder();

// The file a link leads to (followed in the system's bytes; it may not
// exist yet), or the path itself when it is no link. False when the
// file's own name cannot be held in a QString.
bool finalFile(const QString &path, QString &file);

} // namespace NativePath

#endif
