#include "common/NativePath.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QStandardPaths>

#ifdef Q_OS_LINUX
#include <climits>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace NativePath {

namespace {

bool holdsExactly(const QByteArray &bytes, QString &name)
{
    name = QFile::decodeName(bytes);
    return QFile::encodeName(name) == bytes;
}

} // namespace

QString usableFolder(const QByteArray &folder)
{
    QString name;
    if (holdsExactly(folder, name))
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

QString programFolder()
{
#ifdef Q_OS_LINUX
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length > 0 && length < ssize_t(sizeof buffer)) {
        QByteArray program(buffer, length);
        program.truncate(program.lastIndexOf('/'));
        return usableFolder(program.isEmpty() ? QByteArray("/") : program);
    }
#endif
    return QCoreApplication::applicationDirPath();
}

namespace {

// $variable when it is an absolute path, else $HOME/fallback.
QString xdgFolder(const char *variable, const char *fallback, QStandardPaths::StandardLocation location)
{
#ifdef Q_OS_LINUX
    QByteArray base = qgetenv(variable);
    if (!base.startsWith('/') && qgetenv("HOME").startsWith('/'))
        base = qgetenv("HOME") + fallback;
    if (base.startsWith('/'))
        return usableFolder(base);
#else
    Q_UNUSED(variable);
    Q_UNUSED(fallback);
#endif
    return QStandardPaths::writableLocation(location);
}

} // namespace

QString configFolder()
{
    return xdgFolder("XDG_CONFIG_HOME", "/.config", QStandardPaths::GenericConfigLocation);
}

QString dataFolder()
{
    return xdgFolder("XDG_DATA_HOME", "/.local/share", QStandardPaths::GenericDataLocation);
}

bool finalFile(const QString &path, QString &file)
{
#ifdef Q_OS_LINUX
    QByteArray current = QFile::encodeName(path);
    for (int hop = 0; hop < 40; ++hop) { // as many links as the system follows
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(current.constData(), buffer, sizeof buffer);
        if (length < 0 || length >= ssize_t(sizeof buffer))
            break;
        QByteArray next(buffer, length);
        if (!next.startsWith('/'))
            next.prepend(current.left(current.lastIndexOf('/') + 1));
        current = next;
    }
    const qsizetype slash = current.lastIndexOf('/');
    QString name;
    if (slash < 0 || !holdsExactly(current.mid(slash + 1), name))
        return false;
    file = usableFolder(slash == 0 ? QByteArray("/") : current.left(slash)) + u'/' + name;
    return true;
#else
    file = path;
    return true;
#endif
}

} // namespace NativePath
