#include "messages/MsgListFile.h"

#include "common/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cerrno>

namespace MsgListFile {

QStringList load(const QString &path)
{
    QStringList entries;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return entries;

    auto take = [&entries](QByteArray &line) {
        const QString entry = Windows1252::toUnicode(line);
        line.clear();
        if (!entry.isEmpty() && !entries.contains(entry))
            entries.append(entry);
    };

    QByteArray line;
    bool afterCarriageReturn = false;
    char ch = 0;
    // getChar() fails at the end and on a read error alike: either way the
    // loop ends, it never retries the same place.
    while (entries.size() < maxEntries && file.getChar(&ch)) {
        const bool lineFeedOfPair = ch == '\n' && afterCarriageReturn;
        afterCarriageReturn = ch == '\r';
        if (lineFeedOfPair)
            continue;
        if (ch == '\r' || ch == '\n')
            take(line);
        else
            line.append(ch);
    }
    if (entries.size() < maxEntries)
        take(line);
    return entries;
}

SaveResult save(const QString &path, const QStringList &entries)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return { SaveResult::CreateFailed, file.errorString() };

    for (const QString &entry : entries.mid(0, maxEntries)) {
        const QByteArray line = Windows1252::fromUnicode(entry) + "\r\n";
        if (file.write(line) != line.size())
            return { SaveResult::WriteFailed, file.errorString() };
    }
    // QSaveFile::commit() can report success after a short write (a full
    // disk) and put the truncated file in place: flush and check first.
    errno = 0;
    if (!file.flush()) {
        const int code = errno;
        file.cancelWriting();
        return { SaveResult::WriteFailed, code ? qt_error_string(code) : file.errorString() };
    }
    if (!file.commit())
        return { SaveResult::WriteFailed, file.errorString() };
    return {};
}

QString failureMessage(const SaveResult &result, const QString &path)
{
    const QString what = result.status == SaveResult::CreateFailed
            ? QStringLiteral("Unable to create message list file")
            : QStringLiteral("Unable to write to message list file");
    return what + QStringLiteral("\r\"") + QDir::toNativeSeparators(path) + QStringLiteral("\"\r")
            + result.description;
}

} // namespace MsgListFile
