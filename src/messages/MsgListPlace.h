#ifndef MSGLISTPLACE_H
#define MSGLISTPLACE_H

#include <QString>

// Where the message list file is kept. Beside the program while its folder
// can be written, as it always was. Installed where its user cannot write
// (a system package), the program would lose the history at every close, so
// it writes the file to the user's data folder instead, and reads the one
// beside itself only until that one exists.
namespace MsgListPlace {

QString toRead(const QString &programFolder);
// Makes the data folder when the file goes there.
QString toWrite(const QString &programFolder);

} // namespace MsgListPlace

#endif
