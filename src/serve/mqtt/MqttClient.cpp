#include "serve/mqtt/MqttClient.h"
#include "serve/mqtt/MqttOutcome.h"

#include <QHostAddress>
#include <QHostInfo>

#include <mosquitto.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

namespace {

QString reasonOf(int rc)
{
    if (rc == MOSQ_ERR_ERRNO)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (rc == MOSQ_ERR_KEEPALIVE) // a broker that took the link and went silent; the library has no words for it
        return QStringLiteral("no answer within %1 seconds").arg(MqttClient::keepAliveSeconds);
    QString text = QString::fromUtf8(mosquitto_strerror(rc));
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

// The filters as the library takes a list of them: C strings that live as
// long as the list.
struct FilterList
{
    explicit FilterList(const QStringList &filters)
    {
        for (const QString &filter : filters)
            bytes.append(filter.toUtf8());
        for (QByteArray &filter : bytes)
            pointers.push_back(filter.data());
    }
    QList<QByteArray> bytes;
    std::vector<char *> pointers;
};

} // namespace

MqttClient::MqttClient(const Settings &settings, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
{
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });

    // A clean session: the broker keeps nothing for us between links, so a
    // message it handed over before a link died is never handed over again.
    m_mosq = mosquitto_new(m_settings.clientId.toUtf8().constData(), true, this);
    configure();

    m_housekeeping.setInterval(1000);
    connect(&m_housekeeping, &QTimer::timeout, this, [this] { afterLoop(mosquitto_loop_misc(m_mosq)); });
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &MqttClient::connectNow);
}

void MqttClient::configure()
{
    mosquitto_int_option(m_mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_int_option(m_mosq, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(m_mosq, &MqttClient::onConnect);
    mosquitto_message_callback_set(m_mosq, &MqttClient::onMessage);
    if (!m_settings.willTopic.isEmpty())
        mosquitto_will_set(m_mosq, m_settings.willTopic.toUtf8().constData(), int(m_settings.willPayload.size()),
                           m_settings.willPayload.constData(), 1, true);
    if (m_settings.tls) {
        mosquitto_int_option(m_mosq, MOSQ_OPT_SSL_CTX_WITH_DEFAULTS, 0); // the context as it is given
        mosquitto_void_option(m_mosq, MOSQ_OPT_SSL_CTX, m_settings.tls->context());
    }
    if (!m_settings.user.isEmpty())
        mosquitto_username_pw_set(m_mosq, m_settings.user.toUtf8().constData(),
                                  m_settings.password.toUtf8().constData());
}

MqttClient::~MqttClient()
{
    m_readNotifier.reset();
    m_writeNotifier.reset();
    mosquitto_destroy(m_mosq);
}

void MqttClient::start()
{
    if (m_started)
        return;
    m_started = true;
    connectNow();
}

// The library looks names up with a blocking call; a name server that does
// not answer would stall the boards. Qt looks the name up aside, and the
// library is handed an address.
void MqttClient::connectNow()
{
    // What the broker had not acknowledged on a lost link goes with it: sent
    // on the next one, it would repeat what was true then. Whoever listens
    // to connected() publishes afresh what the broker lacks.
    if (std::exchange(m_linked, false)) {
        mosquitto_reinitialise(m_mosq, m_settings.clientId.toUtf8().constData(), true, this);
        configure();
    }
    if (!QHostAddress(m_settings.host).isNull()) {
        connectTo(m_settings.host);
        return;
    }
    QHostInfo::lookupHost(m_settings.host, this, [this](const QHostInfo &info) {
        if (m_stopping)
            return;
        if (info.error() != QHostInfo::NoError || info.addresses().isEmpty())
            lose(info.errorString());
        else
            for (const QHostAddress &address : info.addresses())
                m_untried.append(address.toString());
        connectTo(m_untried.takeFirst());
    });
}

void MqttClient::connectTo(const QString &address)
{
    const int rc = mosquitto_connect_async(m_mosq, address.toUtf8().constData(), m_settings.port, keepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_CONN_PENDING) {
        lose(failure(rc));
        return;
    }
    watchSocket();
}

void MqttClient::watchSocket()
{
    m_readNotifier.reset();
    m_writeNotifier.reset();
    const int fd = mosquitto_socket(m_mosq);
    if (fd < 0) {
        lose(reasonOf(MOSQ_ERR_NO_CONN));
        return;
    }
    m_readNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this,
            [this] { afterLoop(mosquitto_loop_read(m_mosq, 1)); });
    m_writeNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    // The library takes the next step of a TLS handshake only in its reader,
    // also when the socket waits to be written.
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, [this] {
        const int rc = m_settings.tls ? mosquitto_loop_read(m_mosq, 1) : MOSQ_ERR_SUCCESS;
        afterLoop(rc == MOSQ_ERR_SUCCESS && mosquitto_socket(m_mosq) >= 0 ? mosquitto_loop_write(m_mosq, 1) : rc);
    });
    updateWriteInterest();
    m_housekeeping.start();
}

void MqttClient::afterLoop(int rc)
{
    if (rc != MOSQ_ERR_SUCCESS || mosquitto_socket(m_mosq) < 0) {
        lose(failure(rc != MOSQ_ERR_SUCCESS ? rc : MOSQ_ERR_CONN_LOST));
        return;
    }
    updateWriteInterest();
}

// A certificate that did not verify is told as such, not as the library's
// "TLS error".
QString MqttClient::failure(int rc) const
{
    const QString refusal = m_settings.tls ? m_settings.tls->takeRefusal() : QString();
    return refusal.isEmpty() ? reasonOf(rc) : refusal;
}

void MqttClient::updateWriteInterest()
{
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(mosquitto_want_write(m_mosq));
}

void MqttClient::lose(const QString &reason)
{
    m_housekeeping.stop();
    m_readNotifier.reset();
    m_writeNotifier.reset();
    const bool wasConnected = m_connected;
    const bool refused = std::exchange(m_refused, false);
    m_connected = false;
    if (m_stopping)
        return;
    // The library may still hold the socket after an error it did not close on.
    if (mosquitto_socket(m_mosq) >= 0)
        mosquitto_disconnect(m_mosq);
    if (m_retry.isActive())
        return;
    if (!refused) // already told, with the broker's reason
        emit event({ MqttOutcome::Lost, address(), {}, 0, reason });
    // A name may stand for several addresses (::1 and 127.0.0.1 for
    // localhost): each is tried before waiting.
    if (!wasConnected && !refused && !m_untried.isEmpty()) {
        connectTo(m_untried.takeFirst());
        return;
    }
    m_untried.clear();
    m_retry.start(m_retryMs);
    m_retryMs = nextRetryMs(m_retryMs);
    if (wasConnected)
        emit disconnected();
}

bool MqttClient::matches(const QString &filter, const QString &topic)
{
    bool result = false;
    mosquitto_topic_matches_sub(filter.toUtf8().constData(), topic.toUtf8().constData(), &result);
    return result;
}

int MqttClient::nextRetryMs(int retryMs)
{
    return qMin(retryMs * 2, maxRetryMs);
}

QString MqttClient::address() const
{
    return m_settings.host + u':' + QString::number(m_settings.port);
}

void MqttClient::subscribe(const QString &topicFilter)
{
    if (!m_connected)
        return;
    mosquitto_subscribe(m_mosq, nullptr, topicFilter.toUtf8().constData(), 1);
    updateWriteInterest();
}

void MqttClient::unsubscribe(const QString &topicFilter)
{
    if (!m_connected)
        return;
    mosquitto_unsubscribe(m_mosq, nullptr, topicFilter.toUtf8().constData());
    updateWriteInterest();
}

void MqttClient::subscribe(const QStringList &topicFilters)
{
    if (!m_connected || topicFilters.isEmpty())
        return;
    FilterList list(topicFilters);
    mosquitto_subscribe_multiple(m_mosq, nullptr, int(list.pointers.size()), list.pointers.data(), 1, 0, nullptr);
    updateWriteInterest();
}

void MqttClient::unsubscribe(const QStringList &topicFilters)
{
    if (!m_connected || topicFilters.isEmpty())
        return;
    FilterList list(topicFilters);
    mosquitto_unsubscribe_multiple(m_mosq, nullptr, int(list.pointers.size()), list.pointers.data(), nullptr);
    updateWriteInterest();
}

void MqttClient::publish(const QString &topic, const QByteArray &payload, bool retain)
{
    if (!m_connected)
        return;
    mosquitto_publish(m_mosq, nullptr, topic.toUtf8().constData(), int(payload.size()), payload.constData(), 1, retain);
    updateWriteInterest();
}

void MqttClient::stop(const QString &topic, const QByteArray &payload)
{
    m_retry.stop();
    if (m_connected) {
        publish(topic, payload, true);
        mosquitto_disconnect(m_mosq);
        // The goodbye is small: a few rounds of the library's writer send it.
        for (int i = 0; i < 100 && mosquitto_want_write(m_mosq) && mosquitto_socket(m_mosq) >= 0; ++i)
            mosquitto_loop_write(m_mosq, 1);
    }
    m_stopping = true;
    lose({});
}

void MqttClient::onConnect(mosquitto *, void *self, int rc)
{
    auto *client = static_cast<MqttClient *>(self);
    if (rc != 0) {
        // The broker closes the link after a refusal; the retry follows from there.
        client->m_refused = true;
        emit client->event(
                { MqttOutcome::Refused, client->address(), {}, 0, QString::fromUtf8(mosquitto_connack_string(rc)) });
        return;
    }
    client->m_connected = true;
    client->m_linked = true;
    client->m_retryMs = firstRetryMs;
    emit client->event({ MqttOutcome::Connected, client->address() });
    emit client->connected();
}

void MqttClient::onMessage(mosquitto *, void *self, const mosquitto_message *message)
{
    auto *client = static_cast<MqttClient *>(self);
    emit client->received(QString::fromUtf8(message->topic),
                          QByteArray(static_cast<const char *>(message->payload), message->payloadlen),
                          message->retain);
}
