#include "messages/MsgListFile.h"

#include "common/NativePath.h"
#include "common/Windows1252.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace MsgListFile {

namespace {

// Opens a regular file without blocking on a FIFO or a device on the way.
bool openRegular(QFile &file, const QString &path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info
    { };
    if (fd < 0)
        return false;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
#else
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
#endif
}

Outcome failed(Outcome::Kind kind, const QString &path, const QString &description)
{
    return { kind, path, CommMode::None, 0, description };
}

} // namespace

QStringList load(const QString &path)
{
    QStringList entries;
    QFile file;
    if (!openRegular(file, path))
        return entries;

    QByteArray line;
    bool tooLong = false;
    auto take = [&] {
        const QString entry = Windows1252::toUnicode(line);
        if (!tooLong && !entry.isEmpty() && !entries.contains(entry))
            entries.append(entry);
        line.clear();
        tooLong = false;
    };

    auto append = [&](const char *bytes, qsizetype count) {
        tooLong = tooLong || line.size() + count > maxLineBytes;
        if (tooLong)
            line.clear();
        else
            line.append(bytes, count);
    };

    bool afterCarriageReturn = false;
    char block[64 * 1024];
    qint64 got = 0;
    // A read error ends the loop as the end of the file does: it never
    // retries the same place.
    while (entries.size() < maxEntries && (got = file.read(block, sizeof block)) > 0) {
        for (qint64 i = 0; i < got && entries.size() < maxEntries;) {
            const char ch = block[i];
            if (ch == '\r' || ch == '\n') {
                if (ch == '\r' || !afterCarriageReturn)
                    take();
                afterCarriageReturn = ch == '\r';
                ++i;
                continue;
            }
            qint64 end = i;
            while (end < got && block[end] != '\r' && block[end] != '\n')
                ++end;
            append(block + i, end - i);
            afterCarriageReturn = false;
            i = end;
        }
    }
    if (entries.size() < maxEntries)
        take();
    return entries;
}

Outcome save(const QString &path, const QStringList &entries)
{
    QString target;
    if (!NativePath::finalFile(path, target))
        return failed(Outcome::ListCreateFailed, path,
                      QStringLiteral("The name of the file it leads to cannot be written"));
    const QFileInfo existing(target);
    if (existing.exists() && !existing.isFile())
        return failed(Outcome::ListCreateFailed, path, QStringLiteral("Not a regular file"));

    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return failed(Outcome::ListCreateFailed, path, file.errorString());
    int written = 0;
    for (const QString &entry : entries) {
        const QByteArray text = Windows1252::fromUnicode(entry);
        if (text.size() > maxLineBytes)
            continue; // it would not load: keep room for one that will
        const QByteArray line = text + "\r\n";
        if (file.write(line) != line.size())
            return failed(Outcome::ListWriteFailed, path, file.errorString());
        if (++written == maxEntries)
            break;
    }
    // QSaveFile::commit() can report success after a short write (a full
    // disk) and put the truncated file in place: flush and check first.
    errno = 0;
    if (!file.flush()) {
        const int code = errno;
        file.cancelWriting();
        return failed(Outcome::ListWriteFailed, path, code ? qt_error_string(code) : file.errorString());
    }
    if (!file.commit())
        return failed(Outcome::ListWriteFailed, path, file.errorString());
    return {};
}

} // namespace MsgListFile
