#include "common/ProgramFolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>

#ifdef Q_OS_LINUX
#include <climits>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace ProgramFolder {

QString usablePath(const QByteArray &folder)
{
    const QString name = QFile::decodeName(folder);
    if (QFile::encodeName(name) == folder)
        return name;
#ifdef Q_OS_LINUX
    // Each folder is opened once and held for the rest of the run.
    static QHash<QByteArray, int> held;
    int fd = held.value(folder, -1);
    if (fd < 0) {
        fd = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return name;
        held.insert(folder, fd);
    }
    return QStringLiteral("/proc/self/fd/%1").arg(fd);
#else
    return name;
#endif
}

QString path()
{
#ifdef Q_OS_LINUX
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length > 0 && length < ssize_t(sizeof buffer)) {
        QByteArray program(buffer, length);
        program.truncate(program.lastIndexOf('/'));
        return usablePath(program.isEmpty() ? QByteArray("/") : program);
    }
#endif
    return QCoreApplication::applicationDirPath();
}

}
