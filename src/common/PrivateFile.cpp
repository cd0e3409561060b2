#include "common/PrivateFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PrivateFile {

Outcome read(const QString &path, QByteArray &contents, qint64 limit, bool ownerOnly)
{
    contents.clear();
    const Outcome unreadable { Outcome::PrivateFileUnreadable, path };
    auto failed = [&unreadable](const QString &why) {
        Outcome outcome = unreadable;
        outcome.description = why;
        return outcome;
    };
    // Non-blocking, so that opening a FIFO does not wait for a writer; the
    // checks then look at what was opened, not at what the name meant before.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failed(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat status
    { };
    Outcome outcome;
    if (::fstat(fd, &status) != 0)
        outcome = failed(QString::fromLocal8Bit(std::strerror(errno)));
    else if (!S_ISREG(status.st_mode))
        outcome = failed(QStringLiteral("It is not a regular file"));
    else if (ownerOnly && status.st_mode & (S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH))
        outcome = { Outcome::PrivateFileOpenToOthers, path };
    else if (status.st_size > limit)
        outcome = failed(QStringLiteral("It is larger than %1 bytes").arg(limit));
    while (outcome.ok() && contents.size() <= limit) {
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            outcome = failed(QString::fromLocal8Bit(std::strerror(errno)));
        if (n <= 0)
            break;
        contents.append(buffer, n);
    }
    ::close(fd);
    if (outcome.ok() && contents.size() > limit)
        outcome = failed(QStringLiteral("It is larger than %1 bytes").arg(limit));
    if (!outcome.ok())
        contents.clear();
    return outcome;
}

} // namespace PrivateFile
