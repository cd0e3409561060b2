#ifndef APPINFO_H
#define APPINFO_H

#include "common/NativePath.h"

#include <QString>

// Names the program is known by: in the settings store, in message box
// titles and in the files it keeps beside itself.
namespace AppInfo {

inline const QString title = QStringLiteral("VaroMsgBoard");
inline const QString organization = title;
inline const QString application = title;
inline const QString productName = QStringLiteral("Message Board");
inline const QString maker = QStringLiteral("Varo Display Systems, Inc.");
inline const QString msgListFileName = QStringLiteral("VaroMsgBoard-MsgList.txt");
inline const QString helpFileName = QStringLiteral("VaroMsgBoard.hlp");
inline const QString webAddress = QStringLiteral("https://www.varo.example/");

// The program keeps its help and history files in its own folder.
inline QString besideProgram(const QString &fileName)
{
    return NativePath::programFolder() + u'/' + fileName;
}

// "Varo Message Board V2.1", the main window's caption.
inline QString caption()
{
    return QStringLiteral("Varo Message Board V%1.%2").arg(VMB_VERSION_MAJOR).arg(VMB_VERSION_MINOR);
}

// "Version 2.1": major and minor from the build, never the revision.
inline QString versionText()
{
    return QStringLiteral("Version %1.%2").arg(VMB_VERSION_MAJOR).arg(VMB_VERSION_MINOR);
}

} // namespace AppInfo

#endif
