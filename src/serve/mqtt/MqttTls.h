#ifndef MQTTTLS_H
#define MQTTTLS_H

#include "common/Outcome.h"

#include <QString>

#include <memory>
#include <utility>

typedef struct ssl_ctx_st SSL_CTX;
typedef struct x509_store_ctx_st X509_STORE_CTX;

// The TLS side of the bus link: the broker's certificate is checked against
// the given authority (or the system's trusted ones) and against the host
// name the link was given, never the address it resolved to; a client
// certificate is shown when one is given.
class MqttTls
{
public:
    struct Files
    {
        QString authority; // PEM; empty: the system's trusted certificates
        QString certificate; // PEM; empty: none
        QString key; // the certificate's key, a private file
    };

    MqttTls();
    ~MqttTls();

    // Reads the files; a missing, unreadable or mismatched one is named in
    // the outcome (PrivateFileUnreadable, PrivateFileOpenToOthers, TlsFileInvalid).
    Outcome load(const Files &files, const QString &host);
    SSL_CTX *context() const { return m_context.get(); }
    // Why the newest handshake refused the broker's certificate, once; empty
    // when it did not.
    QString takeRefusal() { return std::exchange(m_refusal, {}); }

private:
    static int verified(int ok, X509_STORE_CTX *store);

    struct Free
    {
        void operator()(SSL_CTX *context) const;
    };
    std::unique_ptr<SSL_CTX, Free> m_context;
    QString m_refusal;
};

#endif
