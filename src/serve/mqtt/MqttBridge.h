#ifndef MQTTBRIDGE_H
#define MQTTBRIDGE_H

#include "common/Outcome.h"
#include "engine/PlaylistItem.h"
#include "serve/content/BoardNumber.h"
#include "serve/mqtt/HaDiscovery.h"
#include "serve/mqtt/MqttOptions.h"
#include "serve/mqtt/MqttTopics.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <optional>

class BoardControl;
class BoardEngine;
class MqttClient;

// The boards on the bus: command topics become BoardControl calls, what the
// engine shows goes out as retained states, Home Assistant hears of every
// board that has content, and topics that texts show are listened to.
//
// A retained message is published only when it differs from what the broker
// holds. At each connection the service first reads back what the broker
// retains on its own state and config topics (whatever run, or whichever
// broker, put it there), and then publishes the differences alone: a board
// it no longer has is withdrawn, an unchanged one is left as it is.
class MqttBridge : public QObject
{
    Q_OBJECT

public:
    // A bigger payload is refused before it is read as text or JSON.
    static constexpr int maxPayload = 64 * 1024;
    // The longest wait for the broker's retained messages at a connection;
    // past it the boards are published as far as they were read.
    static constexpr int readRetainedMs = 5000;

    MqttBridge(MqttClient &client, BoardControl &control, BoardEngine &engine, const MqttOptions &options,
               QObject *parent = nullptr);

    // Says offline, then leaves the broker.
    void stop();

signals:
    void logLine(const QString &text);
    void refused(); // a message that did not pass its checks
    // A command taken from topic, applied or refused; board: the one its
    // topic names, -1 for none.
    void commanded(const QString &topic, int board, const Outcome &outcome);

private:
    void connected();
    void retainedRead();
    QStringList retainedFilters() const;
    void received(const QString &topic, const QByteArray &payload, bool retained);
    Outcome command(const QStringList &levels, const QByteArray &payload);
    Outcome groupCommand(MqttTopics::Command command, const QString &group, const QString &text,
                         const QByteArray &payload);
    Outcome change(MqttTopics::Command command, BoardNumber board, const QString &text); // mode, brightness
    Outcome counter(MqttTopics::Command command, const QString &name, const QString &text);
    Outcome message(BoardNumber board, const QString &text, const QByteArray &payload);
    void refuse(const QString &topic, const Outcome &outcome);
    void publishBoard(int board);
    QList<HaDiscovery::Message> boardMessages(int board) const;
    QByteArray state(int board) const;
    std::optional<PlaylistItem> currentItem(int board) const;
    void listenToTopics();
    bool known(int board) const;
    bool isCommand(const QString &topic) const;
    QString stateTopic(int board) const;

    MqttClient &m_client;
    BoardControl &m_control;
    BoardEngine &m_engine;
    MqttOptions m_settings;
    HaDiscovery m_discovery;
    const QStringList m_filters; // the command subscriptions, the site's group commands among them
    QSet<QString> m_topics; // subscribed for {mqtt:TOPIC}
    // What the broker retains on the boards' state and config topics, as read
    // at connection and published since; a topic it holds nothing on is absent.
    QHash<QString, QByteArray> m_retained;
    bool m_reading = false; // connected, the retained messages not all read yet
    QTimer m_readLimit;
};

#endif
