#ifndef MQTTBRIDGE_H
#define MQTTBRIDGE_H

#include "common/Outcome.h"
#include "serve/content/BoardNumber.h"
#include "serve/mqtt/HaDiscovery.h"
#include "serve/mqtt/MqttOptions.h"
#include "serve/mqtt/MqttTopics.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class BoardControl;
class BoardEngine;
class MqttClient;

// The boards on the bus: command topics become BoardControl calls, what the
// engine shows goes out as retained states, Home Assistant hears of every
// board that has content, and topics that texts show are listened to.
class MqttBridge : public QObject
{
    Q_OBJECT

public:
    // A bigger payload is refused before it is read as text or JSON.
    static constexpr int maxPayload = 64 * 1024;

    MqttBridge(MqttClient &client, BoardControl &control, BoardEngine &engine, const MqttOptions &options,
               QObject *parent = nullptr);

    // Says offline, then leaves the broker.
    void stop();

signals:
    void logLine(const QString &text);
    // A command taken from topic, applied or refused; board: the one its
    // topic names, -1 for none.
    void commanded(const QString &topic, int board, const Outcome &outcome);

private:
    void connected();
    void received(const QString &topic, const QByteArray &payload, bool retained);
    Outcome command(const QStringList &levels, const QByteArray &payload);
    Outcome groupCommand(MqttTopics::Command command, const QString &group, const QString &text,
                         const QByteArray &payload);
    Outcome change(MqttTopics::Command command, BoardNumber board, const QString &text); // mode, brightness
    Outcome counter(MqttTopics::Command command, const QString &name, const QString &text);
    Outcome message(BoardNumber board, const QString &text, const QByteArray &payload);
    void refuse(const QString &topic, const Outcome &outcome);
    void publishBoard(int board, bool always);
    void showingChanged(int board);
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
    QSet<int> m_announced; // boards whose discovery is on the broker
};

#endif
