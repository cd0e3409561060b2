#include "serve/mqtt/HaDiscovery.h"
#include "serve/mqtt/MqttClient.h"
#include "serve/mqtt/MqttTopics.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTest>

class TestMqttDiscovery : public QObject
{
    Q_OBJECT

private slots:
    void entity_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("component");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("limits"); // min max mode, or the options
        QTest::addColumn<QString>("reads"); // what was set (the item) or what shows

        QTest::newRow("text longer than Home Assistant takes") << 0 << "text"
                                                               << "p/q/99/message/set"
                                                               << "0 255 text"
                                                               << "value_json.item.text[:255]";
        QTest::newRow("select without the modes in wire order") << 1 << "select"
                                                                << "p/q/99/mode/set"
                                                                << "  left,right,center,slow,medium,fast"
                                                                << "value_json.item.mode";
        QTest::newRow("number past brightness 99") << 2 << "number"
                                                   << "p/q/99/brightness/set"
                                                   << "0 99 slider"
                                                   << "value_json.item.brightness";
        QTest::newRow("sensor with nothing to read") << 3 << "sensor"
                                                     << ""
                                                     << "  "
                                                     << "value_json.text[:255]";
    }

    // Board 99 of prefix p/q: a '/' is no character of an object id.
    void entity()
    {
        QFETCH(int, index);
        QFETCH(QString, component);
        QFETCH(QString, command);
        QFETCH(QString, limits);
        QFETCH(QString, reads);

        const HaDiscovery discovery("ha", "p/q");
        const HaDiscovery::Message message = discovery.announce(99).value(index);
        QCOMPARE(message.topic, "ha/" + component + "/p_2fq_board99/config");
        const QJsonObject json = QJsonDocument::fromJson(message.payload).object();
        QCOMPARE(json["command_topic"].toString(), command);
        QCOMPARE(json["state_topic"].toString(), "p/q/99/state");
        QCOMPARE(json["availability_topic"].toString(), "p/q/status");
        QVERIFY(json["value_template"].toString().startsWith("{{ " + reads + " if "));
        // A state emptied, or not JSON, renders as nothing rather than failing.
        for (const QString &key : json.keys())
            if (key.endsWith("_template"))
                QVERIFY2(json[key].toString().contains(" if value_json is defined and "), qPrintable(key));
        QCOMPARE(json["min"].toVariant().toString() + ' ' + json["max"].toVariant().toString() + ' '
                         + json["mode"].toString() + json["options"].toVariant().toStringList().join(','),
                 limits);
    }

    // Prefixes that differ only in characters an id cannot hold, every board:
    // no id shared, one device (same id, same name) per board.
    void distinctAcrossServices()
    {
        QSet<QString> ids, devices;
        for (const QString &prefix : { "line/1", "line_1", "line-1", "line1" })
            for (int board = 0; board < 100; ++board)
                for (const HaDiscovery::Message &message : HaDiscovery("homeassistant", prefix).announce(board)) {
                    const QJsonObject json = QJsonDocument::fromJson(message.payload).object();
                    ids << json["unique_id"].toString();
                    devices << json["device"]["identifiers"][0].toString() + json["device"]["name"].toString();
                }
        QCOMPARE(ids.size(), 1600);
        QCOMPARE(devices.size(), 400);
    }

    // A broker that stays away is tried again after 1, 2, 4 ... seconds, never more than 30 apart.
    // Which command a topic under the prefix names; -1 none.
    void commands_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<int>("command");
        using C = MqttTopics::Command;
        QTest::newRow("a board's message") << "p/5/message/set" << int(C::Message);
        QTest::newRow("alerts ended") << "p/5/alert/clear" << int(C::AlertClear);
        QTest::newRow("a counter named as a board's command") << "p/counter/message/set" << int(C::CounterSet);
        QTest::newRow("a counter added to") << "p/counter/n/add" << int(C::CounterAdd);
        QTest::newRow("add on a board") << "p/5/message/add" << -1;
        QTest::newRow("unknown command") << "p/5/colour/set" << -1;
    }
    void commands()
    {
        QFETCH(QString, topic);
        const auto command = MqttTopics::command(topic.mid(2).split(u'/'));
        QTEST(command ? int(*command) : -1, "command");
        // Every command arrives by exactly one of the subscriptions.
        const QStringList filters = MqttTopics::filters("p");
        const auto by = std::count_if(filters.cbegin(), filters.cend(),
                                      [&](const QString &filter) { return MqttClient::matches(filter, topic); });
        QCOMPARE(by, command || topic.endsWith("/set") ? 1 : 0);
    }

    void retryDelay()
    {
        QCOMPARE(MqttClient::nextRetryMs(MqttClient::firstRetryMs), 2000);
        QCOMPARE(MqttClient::nextRetryMs(16000), 30000);
        QCOMPARE(MqttClient::nextRetryMs(30000), 30000);
    }
};

QTEST_APPLESS_MAIN(TestMqttDiscovery)
#include "tst_mqttdiscovery.moc"
