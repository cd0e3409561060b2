#ifndef MSGLISTFILE_H
#define MSGLISTFILE_H

#include "common/Outcome.h"

#include <QString>
#include <QStringList>

// The message history on disk: one entry per line, newest first, at most
// 20, Windows-1252 text with CR LF after every line.
namespace MsgListFile {

constexpr int maxEntries = 20;
// Far above any message a person types or pastes; a longer line is
// skipped, so memory stays bounded whatever the file holds.
constexpr qsizetype maxLineBytes = 1024 * 1024;

// Empty, repeated and over-long lines are skipped and do not count toward
// the 20. A line ends at CR, LF or CR LF. Only a regular file is read (a
// link to one counts): anything else gives no entry, as a missing file does.
QStringList load(const QString &path);

// Replaces the file in one step: a failed save leaves the old file as it
// was. An entry longer than a line may be is not written. Through a link, the file it points to is written, if that is
// a regular file or missing; anything else is not replaced.
Outcome save(const QString &path, const QStringList &entries);

} // namespace MsgListFile

#endif
