#include "serve/mqtt/HaDiscovery.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

class TestMqttDiscovery : public QObject
{
    Q_OBJECT

private slots:
    void entities_data();
    void entities();
    void distinctAcrossServices();
};

static QJsonObject config(const HaDiscovery::Message &message)
{
    return QJsonDocument::fromJson(message.payload).object();
}

void TestMqttDiscovery::entities_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("component");
    QTest::addColumn<QStringList>("required");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("limits"); // min,max as Home Assistant reads them

    QTest::newRow("text over 255 characters refused by Home Assistant")
            << 0 << "text" << QStringList { "command_topic", "state_topic", "value_template" } << "message/set"
            << "0,255";
    QTest::newRow("select without the six modes in wire order")
            << 1 << "select" << QStringList { "command_topic", "options", "value_template" } << "mode/set"
            << ",";
    QTest::newRow("number sliding past brightness 99")
            << 2 << "number" << QStringList { "command_topic", "state_topic", "value_template" } << "brightness/set"
            << "0,99";
    QTest::newRow("sensor without a state to read") << 3 << "sensor" << QStringList { "state_topic" } << ""
                                                    << ",";
}

void TestMqttDiscovery::entities()
{
    QFETCH(int, index);
    QFETCH(QString, component);
    QFETCH(QStringList, required);
    QFETCH(QString, command);
    QFETCH(QString, limits);

    const HaDiscovery discovery("ha", "plant/line 1");
    for (int board : { 0, 99 }) {
        const HaDiscovery::Message message = discovery.announce(board).value(index);
        const QStringList levels = message.topic.split('/');
        QCOMPARE(levels.size(), 4);
        QCOMPARE(levels[0] + '/' + levels[1] + '/' + levels[3], "ha/" + component + "/config");
        QVERIFY2(QRegularExpression("^[A-Za-z0-9_-]+$").match(levels[2]).hasMatch(), qPrintable(levels[2]));
        const QJsonObject json = config(message);
        for (const QString &key : required + QStringList { "name", "unique_id", "device" })
            QVERIFY2(json.contains(key), qPrintable(key));
        QCOMPARE(json["availability_topic"].toString(), "plant/line 1/status");
        QCOMPARE(json["state_topic"].toString(), QString("plant/line 1/%1/state").arg(board));
        QCOMPARE(json["command_topic"].toString(),
                 command.isEmpty() ? QString() : QString("plant/line 1/%1/").arg(board) + command);
        QCOMPARE(json["min"].toVariant().toString() + ',' + json["max"].toVariant().toString(), limits);
        QCOMPARE(discovery.withdraw(board).value(index).topic, message.topic);
        QVERIFY(discovery.withdraw(board).value(index).payload.isEmpty());
    }
    const QJsonObject json = config(discovery.announce(7).value(index));
    if (component == "select")
        QCOMPARE(json["options"].toArray(), QJsonArray({ "left", "right", "center", "slow", "medium", "fast" }));
    if (component == "number")
        QCOMPARE(json["mode"].toString(), "slider");
    if (component == "text")
        QVERIFY(json["value_template"].toString().contains("[:255]"));
}

// Services on one broker, with prefixes that differ only in characters the
// ids cannot hold, and every board: no id or device shared by two boards.
void TestMqttDiscovery::distinctAcrossServices()
{
    QSet<QString> uniqueIds, devices, topics;
    int entities = 0;
    for (const QString &prefix : { "line/1", "line_1", "line-1", "line1" }) {
        const HaDiscovery discovery("homeassistant", prefix);
        for (int board = 0; board < 100; ++board) {
            QSet<QString> boardDevices;
            for (const HaDiscovery::Message &message : discovery.announce(board)) {
                const QJsonObject json = config(message);
                uniqueIds.insert(json["unique_id"].toString());
                boardDevices.insert(json["device"]["identifiers"][0].toString());
                topics.insert(message.topic);
                ++entities;
            }
            QCOMPARE(boardDevices.size(), 1);
            devices += boardDevices;
        }
    }
    QCOMPARE(uniqueIds.size(), entities);
    QCOMPARE(topics.size(), entities);
    QCOMPARE(devices.size(), 400);
}

QTEST_APPLESS_MAIN(TestMqttDiscovery)
#include "tst_mqttdiscovery.moc"
