#ifndef MSGLISTFILE_H
#define MSGLISTFILE_H

#include <QString>
#include <QStringList>

// The message history on disk: one entry per line, newest first, at most
// 20, Windows-1252 text with CR LF after every line.
namespace MsgListFile {

constexpr int maxEntries = 20;

// Empty and repeated lines are skipped and do not count toward the 20. A
// line ends at CR, LF or CR LF. A missing or unreadable file gives no entry.
QStringList load(const QString &path);

struct SaveResult
{
    enum Status { Saved, CreateFailed, WriteFailed };
    Status status = Saved;
    QString description;
};

// Replaces the file in one step: a failed save leaves the old file as it was.
SaveResult save(const QString &path, const QStringList &entries);

QString failureMessage(const SaveResult &result, const QString &path);

}

#endif
