#ifndef PRIVATEFILE_H
#define PRIVATEFILE_H

#include "common/Outcome.h"

#include <QByteArray>
#include <QString>

// A small file that only its owner may read or change: an access token, a
// password. A FIFO or a device is refused rather than waited for.
namespace PrivateFile {

// PrivateFileUnreadable or PrivateFileOpenToOthers on failure; contents
// then stays empty. More than limit bytes is refused as well. A file that
// is not secret (a certificate) is read with ownerOnly false.
Outcome read(const QString &path, QByteArray &contents, qint64 limit = 4096, bool ownerOnly = true);

} // namespace PrivateFile

#endif
