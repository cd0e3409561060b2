#include "serve/api/ApiTls.h"

#include "common/PrivateFile.h"
#include "serve/ServiceOutcome.h"

#include <QSslCertificate>
#include <QSslKey>

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <memory>

namespace {

constexpr qint64 pemLimit = 1 << 20;

QString sslReason()
{
    const char *reason = ERR_reason_error_string(ERR_peek_last_error());
    ERR_clear_error();
    return reason ? QString::fromUtf8(reason) : QStringLiteral("not PEM");
}

using Bio = std::unique_ptr<BIO, decltype(&BIO_free)>;

} // namespace

namespace ApiTls {

Outcome load(const QString &certificate, const QString &key, QSslConfiguration &configuration)
{
    QByteArray chain;
    if (const Outcome read = PrivateFile::read(certificate, chain, pemLimit, false); !read.ok())
        return read;
    const QList<QSslCertificate> certificates = QSslCertificate::fromData(chain, QSsl::Pem);
    Bio chainBio(BIO_new_mem_buf(chain.constData(), int(chain.size())), BIO_free);
    std::unique_ptr<X509, decltype(&X509_free)> leaf(PEM_read_bio_X509(chainBio.get(), nullptr, nullptr, nullptr),
                                                     X509_free);
    if (certificates.isEmpty() || !leaf)
        return { ServiceOutcome::TlsFileInvalid, certificate, {}, 0, sslReason() };

    QByteArray secret;
    if (const Outcome read = PrivateFile::read(key, secret, pemLimit); !read.ok())
        return read;
    Bio keyBio(BIO_new_mem_buf(secret.constData(), int(secret.size())), BIO_free);
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> pkey(
            PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr), EVP_PKEY_free);
    secret.fill(0);
    if (!pkey)
        return { ServiceOutcome::TlsFileInvalid, key, {}, 0, sslReason() };
    if (X509_check_private_key(leaf.get(), pkey.get()) != 1) {
        ERR_clear_error();
        return {
            ServiceOutcome::TlsFileInvalid, key, {}, 0, QStringLiteral("it is not the key of %1").arg(certificate)
        };
    }
    // Any kind of key OpenSSL reads, handed over whole: the key takes it.
    configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificateChain(certificates);
    configuration.setPrivateKey(QSslKey(Qt::HANDLE(pkey.release()), QSsl::PrivateKey));
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    configuration.setProtocol(QSsl::TlsV1_2OrLater);
    return {};
}

} // namespace ApiTls
