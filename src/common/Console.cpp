#include "common/Console.h"

#include <cstdio>

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

} // namespace Console
