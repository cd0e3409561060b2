#include "messages/MsgListPlace.h"

#include "common/AppInfo.h"
#include "common/NativePath.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace MsgListPlace {

namespace {

bool writable(const QString &folder)
{
#ifdef Q_OS_UNIX
    // access() also tells a read-only mount, and follows /proc/self/fd/N.
    return ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
#else
    return QFileInfo(folder).isWritable();
#endif
}

QString in(const QString &folder)
{
    return folder + u'/' + AppInfo::msgListFileName;
}

} // namespace

QString toRead(const QString &programFolder)
{
    const QString data = NativePath::dataFolder();
    if (writable(programFolder) || data.isEmpty() || !QFileInfo::exists(in(data)))
        return in(programFolder);
    return in(data);
}

QString toWrite(const QString &programFolder)
{
    if (writable(programFolder))
        return in(programFolder);
    const QString data = NativePath::dataFolder(true);
    return in(data.isEmpty() ? programFolder : data);
}

} // namespace MsgListPlace
