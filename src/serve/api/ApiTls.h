#ifndef APITLS_H
#define APITLS_H

#include "common/Outcome.h"

#include <QSslConfiguration>
#include <QString>

// The certificate and key that make the API speak only TLS. Both files are
// PEM; the key is a private file, as the token file is.
namespace ApiTls {

// A missing, unreadable or mismatched file is named in the outcome
// (PrivateFileUnreadable, PrivateFileOpenToOthers, TlsFileInvalid).
Outcome load(const QString &certificate, const QString &key, QSslConfiguration &configuration);

} // namespace ApiTls

#endif
