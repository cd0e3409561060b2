#ifndef MQTTCLIENT_H
#define MQTTCLIENT_H

#include "common/Outcome.h"
#include "serve/mqtt/MqttTls.h"

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

struct mosquitto;
struct mosquitto_message;

// One connection to a broker through libmosquitto, driven by this thread's
// event loop: the library's socket sits under two notifiers and its
// housekeeping (keep-alive, ping time-outs) runs on a timer, so no thread of
// the library's own touches the service. A lost or refused connection is
// tried again after a delay that doubles up to maxRetryMs.
class MqttClient : public QObject
{
    Q_OBJECT

public:
    struct Settings
    {
        QString host;
        int port = 1883;
        QString clientId;
        QString user; // none when empty
        QString password;
        QString willTopic; // the retained last will, sent by the broker when the link dies
        QByteArray willPayload;
        MqttTls *tls = nullptr; // none: plain TCP
    };

    static constexpr int firstRetryMs = 1000;
    static constexpr int maxRetryMs = 30000;
    static constexpr int keepAliveSeconds = 30;
    // The delay after a retry that waited retryMs.
    static int nextRetryMs(int retryMs);
    // Whether a subscription with the filter gets messages on the topic.
    static bool matches(const QString &filter, const QString &topic);

    explicit MqttClient(const Settings &settings, QObject *parent = nullptr);
    ~MqttClient() override;

    void start();
    bool isConnected() const { return m_connected; }

    // While the link is down these do nothing: whoever listens to connected()
    // subscribes and publishes afresh.
    void subscribe(const QString &topicFilter);
    void unsubscribe(const QString &topicFilter);
    // Several filters in one packet, answered as one.
    void subscribe(const QStringList &topicFilters);
    void unsubscribe(const QStringList &topicFilters);
    void publish(const QString &topic, const QByteArray &payload, bool retain);

    // Sends the will's opposite in an orderly way and closes the link.
    void stop(const QString &topic, const QByteArray &payload);

signals:
    void connected();
    void disconnected();
    // retained: replayed by the broker from its store at subscription time,
    // not published while this client was listening.
    void received(const QString &topic, const QByteArray &payload, bool retained);
    // Connected, lost, refused: for the log.
    void event(const Outcome &outcome);

private:
    static void onConnect(mosquitto *, void *self, int rc);
    static void onMessage(mosquitto *, void *self, const mosquitto_message *message);

    void configure(); // the library's options, callbacks and will
    void connectNow();
    void connectTo(const QString &address);
    void watchSocket();
    void afterLoop(int rc);
    void lose(const QString &reason);
    QString address() const;
    QString failure(int rc) const;
    void updateWriteInterest();

    Settings m_settings;
    mosquitto *m_mosq = nullptr;
    bool m_started = false;
    bool m_connected = false;
    bool m_linked = false; // connected since the library was last set up
    bool m_stopping = false;
    bool m_refused = false;
    int m_retryMs = firstRetryMs;
    QStringList m_untried; // the name's addresses not yet tried in this round
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    QTimer m_housekeeping;
    QTimer m_retry;
};

#endif
