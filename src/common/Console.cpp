#include "common/Console.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace Console {

namespace {

bool write(std::FILE *stream, QString text)
{
    const QByteArray bytes = text.append(u'\n').toLocal8Bit();
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) == size_t(bytes.size())
            && std::fflush(stream) == 0;
}

} // namespace

bool out(const QString &line)
{
    return write(stdout, line);
}

void error(const QString &text)
{
    QString lines = text;
    write(stderr, lines.replace(u'\r', u'\n'));
}

bool holdStandardStreams()
{
    const bool inputOpen = ::fcntl(STDIN_FILENO, F_GETFD) != -1;
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
        if (::fcntl(fd, F_GETFD) == -1)
            ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDWR);
    return inputOpen;
}

} // namespace Console
