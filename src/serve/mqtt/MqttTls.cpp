#include "serve/mqtt/MqttTls.h"

#include "common/PrivateFile.h"
#include "serve/mqtt/MqttOutcome.h"

#include <QHostAddress>

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace {

// OpenSSL's newest reason, as it words it.
QString sslReason()
{
    const unsigned long code = ERR_peek_last_error();
    char text[256] = {};
    ERR_error_string_n(code, text, sizeof text);
    ERR_clear_error();
    const char *reason = ERR_reason_error_string(code);
    return QString::fromUtf8(reason ? reason : text);
}

Outcome invalid(const QString &path)
{
    return { MqttOutcome::TlsFileInvalid, path, {}, 0, sslReason() };
}

constexpr qint64 pemLimit = 1 << 20;

} // namespace

void MqttTls::Free::operator()(SSL_CTX *context) const
{
    SSL_CTX_free(context);
}

int MqttTls::verified(int ok, X509_STORE_CTX *store)
{
    if (ok != 1) {
        auto *ssl = static_cast<SSL *>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
        auto *self = static_cast<MqttTls *>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
        if (self && self->m_refusal.isEmpty())
            self->m_refusal
                    = QStringLiteral("the broker's certificate does not verify: %1")
                              .arg(QString::fromUtf8(X509_verify_cert_error_string(X509_STORE_CTX_get_error(store))));
    }
    return ok;
}

MqttTls::MqttTls() = default;
MqttTls::~MqttTls() = default;

Outcome MqttTls::load(const Files &files, const QString &host)
{
    m_context.reset(SSL_CTX_new(TLS_client_method()));
    SSL_CTX *context = m_context.get();
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    SSL_CTX_set_app_data(context, this);
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, &MqttTls::verified);
    X509_VERIFY_PARAM *check = SSL_CTX_get0_param(context);
    const bool address = !QHostAddress(host).isNull();
    if (address ? X509_VERIFY_PARAM_set1_ip_asc(check, host.toUtf8().constData()) != 1
                : X509_VERIFY_PARAM_set1_host(check, host.toUtf8().constData(), 0) != 1)
        return { MqttOutcome::TlsFileInvalid, host, {}, 0, sslReason() };

    if (files.authority.isEmpty()) {
        SSL_CTX_set_default_verify_paths(context);
    } else {
        QByteArray pem;
        if (const Outcome read = PrivateFile::read(files.authority, pem, pemLimit, false); !read.ok())
            return read;
        std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(pem.constData(), int(pem.size())), BIO_free);
        X509_STORE *store = SSL_CTX_get_cert_store(context);
        int added = 0;
        while (X509 *certificate = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr)) {
            added += X509_STORE_add_cert(store, certificate);
            X509_free(certificate);
        }
        ERR_clear_error(); // the end of the file reads as an error
        if (added == 0)
            return { MqttOutcome::TlsFileInvalid, files.authority, {}, 0, QStringLiteral("no certificate in it") };
    }

    if (files.certificate.isEmpty())
        return {};
    QByteArray pem;
    if (const Outcome read = PrivateFile::read(files.certificate, pem, pemLimit, false); !read.ok())
        return read;
    std::unique_ptr<BIO, decltype(&BIO_free)> chain(BIO_new_mem_buf(pem.constData(), int(pem.size())), BIO_free);
    std::unique_ptr<X509, decltype(&X509_free)> certificate(PEM_read_bio_X509(chain.get(), nullptr, nullptr, nullptr),
                                                            X509_free);
    if (!certificate || SSL_CTX_use_certificate(context, certificate.get()) != 1)
        return invalid(files.certificate);
    while (X509 *more = PEM_read_bio_X509(chain.get(), nullptr, nullptr, nullptr)) {
        if (SSL_CTX_add0_chain_cert(context, more) != 1)
            X509_free(more);
    }
    ERR_clear_error();

    QByteArray secret;
    if (const Outcome read = PrivateFile::read(files.key, secret, pemLimit); !read.ok())
        return read;
    std::unique_ptr<BIO, decltype(&BIO_free)> keyBio(BIO_new_mem_buf(secret.constData(), int(secret.size())), BIO_free);
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
            PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr), EVP_PKEY_free);
    secret.fill(0);
    if (!key || SSL_CTX_use_PrivateKey(context, key.get()) != 1)
        return invalid(files.key);
    if (SSL_CTX_check_private_key(context) != 1)
        return { MqttOutcome::TlsFileInvalid,
                 files.key,
                 {},
                 0,
                 QStringLiteral("it is not the key of %1").arg(files.certificate) };
    return {};
}
