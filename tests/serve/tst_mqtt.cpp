#include "NetworkGuard.h"
#include "protocol/BoardFrame.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <csignal>

// VaroServe on a broker of the test's own: commands from mosquitto_pub,
// frames caught as datagrams, what the service publishes read by mosquitto_sub.
class TestMqtt : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void commands_data();
    void commands();
    void refused_data();
    void refused();
    void retainedAndDiscovery();
    void brokerRestart();
    void lastWill();

private:
    void startBroker();
    void startService();
    int pub(const QString &topic, const QByteArray &payload, bool retain = false);
    QByteArray retained(const QString &topic);
    bool frame(const QByteArray &expected, int ms = 5000);
    QStringList seen(const QString &topic, const QByteArray &retainFlag = "01") const;

    QTemporaryDir m_dir;
    QString m_mosquitto;
    int m_brokerPort = 0;
    QProcess m_broker, m_service, m_watch;
    QUdpSocket m_udp;
    QStringList m_lines; // "retain topic payload" as the watcher saw them
    QList<QByteArray> m_datagrams;
};

static int freePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

void TestMqtt::startBroker()
{
    const QString config = m_dir.filePath("mosquitto.conf");
    QFile file(config);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QString("listener %1 127.0.0.1\nallow_anonymous true\nuser root\npersistence true\npersistence_location "
                       "%2/\n")
                       .arg(m_brokerPort)
                       .arg(m_dir.path())
                       .toUtf8());
    file.close();
    m_broker.start(m_mosquitto, { "-c", config });
    QVERIFY(m_broker.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(
            [this] {
                QTcpSocket probe;
                probe.connectToHost(QHostAddress::LocalHost, m_brokerPort);
                return probe.waitForConnected(100);
            }(),
            5000);
    m_watch.start("mosquitto_sub",
                  { "-p", QString::number(m_brokerPort), "-q", "1", "-F", "%r %t %p", "-t", "t/#", "-t", "ha/#" });
    QVERIFY(m_watch.waitForStarted());
}

void TestMqtt::startService()
{
    m_service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_service.start(VAROSERVE,
                    { "--listen", QString("127.0.0.1:%1").arg(freePort()), "--data", m_dir.filePath("store.sqlite"),
                      "--mqtt", QString("mqtt://127.0.0.1:%1").arg(m_brokerPort), "--mqtt-prefix", "t", "--ha-prefix",
                      "ha", "--boards", "5", QString("UDP%1").arg(m_udp.localPort()) });
    QVERIFY(m_service.waitForStarted());
}

void TestMqtt::initTestCase()
{
    REQUIRE_PRIVATE_NETWORK();
    m_mosquitto = QStandardPaths::findExecutable("mosquitto", { "/usr/sbin", "/usr/bin", "/usr/local/sbin" });
    if (m_mosquitto.isEmpty() || QStandardPaths::findExecutable("mosquitto_pub").isEmpty())
        QSKIP("The broker and its clients are missing: apt-get install mosquitto mosquitto-clients");
    QVERIFY(m_udp.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::ShareAddress));
    m_brokerPort = freePort();
    connect(&m_watch, &QProcess::readyReadStandardOutput, this, [this] {
        while (m_watch.canReadLine())
            m_lines.append(QString::fromUtf8(m_watch.readLine().chopped(1)));
    });
    startBroker();
    startService();
    QTRY_VERIFY_WITH_TIMEOUT(seen("t/status").contains("online"), 10000);
}

void TestMqtt::cleanupTestCase()
{
    for (QProcess *process : { &m_service, &m_watch, &m_broker }) {
        process->kill();
        process->waitForFinished();
    }
}

int TestMqtt::pub(const QString &topic, const QByteArray &payload, bool retain)
{
    QProcess process;
    QStringList arguments {
        "-p", QString::number(m_brokerPort), "-q", "1", "-t", topic, payload.isEmpty() ? "-n" : "-s"
    };
    if (retain)
        arguments << "-r";
    process.start("mosquitto_pub", arguments);
    process.write(payload);
    process.closeWriteChannel();
    process.waitForFinished();
    return process.exitCode();
}

QByteArray TestMqtt::retained(const QString &topic)
{
    QProcess process;
    process.start(
            "mosquitto_sub",
            { "-p", QString::number(m_brokerPort), "-t", topic, "--retained-only", "-C", "1", "-W", "2", "-F", "%p" });
    process.waitForFinished();
    return process.readAllStandardOutput().trimmed();
}

QStringList TestMqtt::seen(const QString &topic, const QByteArray &retainFlag) const
{
    QStringList payloads;
    for (const QString &line : m_lines)
        if (line.section(' ', 1, 1) == topic && retainFlag.contains(line.at(0).toLatin1()))
            payloads.append(line.section(' ', 2));
    return payloads;
}

bool TestMqtt::frame(const QByteArray &expected, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        while (m_udp.hasPendingDatagrams()) {
            m_datagrams.append(m_udp.receiveDatagram().data());
            if (m_datagrams.last() == expected)
                return true;
        }
        m_udp.waitForReadyRead(50);
    }
    return false;
}

static QByteArray build(int board, int mode, int brightness, const QString &text)
{
    return BoardFrame::build(QString::number(board), mode, QString::number(brightness), text);
}

// One service throughout: each row starts from what the rows above left.
void TestMqtt::commands_data()
{
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("plain text on an empty board: left and 99")
            << "t/3/message/set" << QByteArray("Shift B") << build(3, 0, 99, "Shift B");
    QTest::newRow("mode by name keeps the text") << "t/3/mode/set" << QByteArray("fast") << build(3, 5, 99, "Shift B");
    QTest::newRow("brightness 0 is the lowest, not refused")
            << "t/3/brightness/set" << QByteArray("0") << build(3, 5, 0, "Shift B");
    QTest::newRow("plain text keeps the board's mode and brightness")
            << "t/3/message/set" << QByteArray("Line {{2}}") << build(3, 5, 0, "Line {2}");
    QTest::newRow("JSON message as the API's")
            << "t/3/message/set" << QByteArray(R"({"text":"N={counter:parts}","mode":"center"})")
            << build(3, 2, 99, "N=0");
    QTest::newRow("counter set reaches the text")
            << "t/counter/parts/set" << QByteArray("41") << build(3, 2, 99, "N=41");
    QTest::newRow("empty counter add counts one") << "t/counter/parts/add" << QByteArray() << build(3, 2, 99, "N=42");
    QTest::newRow("alert pre-empts the playlist")
            << "t/3/alert/set" << QByteArray(R"({"text":"FIRE","priority":9})") << build(3, 0, 99, "FIRE");
    QTest::newRow("alert clear resumes the playlist")
            << "t/3/alert/clear" << QByteArray("x") << build(3, 2, 99, "N=42");
    QTest::newRow("text naming a topic shows nothing yet")
            << "t/4/message/set" << QByteArray("T={mqtt:plant/temp}C") << build(4, 0, 99, "T=C");
    QTest::newRow("a value arriving on that topic is a new frame, its controls dropped")
            << "plant/temp" << QByteArray("21.5\t") << build(4, 0, 99, "T=21.5C");
}

void TestMqtt::commands()
{
    QFETCH(QString, topic);
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, frame);
    QCOMPARE(pub(topic, payload), 0);
    QVERIFY2(this->frame(frame), frame.constData());
}

void TestMqtt::refused_data()
{
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("words");

    QTest::newRow("brightness 100") << "t/3/brightness/set" << QByteArray("100") << "from 0 to 99";
    QTest::newRow("mode 6") << "t/3/mode/set" << QByteArray("6") << "left, right";
    QTest::newRow("board 100") << "t/100/message/set" << QByteArray("x") << "from 0 to 99";
    QTest::newRow("binary payload") << "t/3/message/set" << QByteArray("\xff\xfe\0\x01", 4) << "payload";
    QTest::newRow("one byte over 64 KiB") << "t/3/message/set" << QByteArray(65537, 'a') << "64 KiB";
    QTest::newRow("alert that is not JSON") << "t/3/alert/set" << QByteArray("{\"text\":") << "malformed JSON";
    QTest::newRow("unknown field in a text") << "t/3/message/set" << QByteArray("{foo}") << "{foo}";
    QTest::newRow("counter add that is no number") << "t/counter/parts/add" << QByteArray("1.5") << "whole number";
    QTest::newRow("unknown command topic") << "t/3/colour/set" << QByteArray("red") << "not a command topic";
}

void TestMqtt::refused()
{
    QFETCH(QString, topic);
    QFETCH(QByteArray, payload);
    QFETCH(QString, words);

    const QByteArray before = retained("t/3/state");
    const qsizetype errors = seen("t/error").size();
    while (m_udp.hasPendingDatagrams())
        m_udp.receiveDatagram();
    QCOMPARE(pub(topic, payload), 0);
    QTRY_COMPARE(seen("t/error").size(), errors + 1);
    const QJsonObject error = QJsonDocument::fromJson(seen("t/error").last().toUtf8()).object();
    QCOMPARE(error["topic"].toString(), topic);
    QVERIFY2(error["error"].toString().contains(words), qPrintable(error["error"].toString()));
    QTest::qWait(300);
    QVERIFY(!m_udp.hasPendingDatagrams());
    QCOMPARE(retained("t/3/state"), before);
    QCOMPARE(seen("t/error").size(), errors + 1);
}

void TestMqtt::retainedAndDiscovery()
{
    QCOMPARE(retained("t/status"), "online");
    QCOMPARE(QJsonDocument::fromJson(retained("t/3/state"))["text"].toString(), "N=42");
    for (const char *component : { "text", "select", "number", "sensor" })
        for (int board : { 3, 4, 5 })
            QVERIFY(QJsonDocument::fromJson(retained(QString("ha/%1/t_board%2/config").arg(component).arg(board)))
                            .isObject());
    QCOMPARE(retained("ha/sensor/t_board6/config"), "");
    // An alert alone announces its board; when it ends, the board is withdrawn.
    const qsizetype before = seen("ha/sensor/t_board7/config").size();
    QCOMPARE(pub("t/7/alert/set", R"({"text":"BRIEF","seconds":1})"), 0);
    QTRY_COMPARE(seen("ha/sensor/t_board7/config").size(), before + 1);
    QVERIFY(QJsonDocument::fromJson(seen("ha/sensor/t_board7/config").last().toUtf8()).isObject());
    QTRY_COMPARE_WITH_TIMEOUT(seen("ha/sensor/t_board7/config").size(), before + 2, 5000);
    QCOMPARE(seen("ha/sensor/t_board7/config").last(), "");
    QCOMPARE(retained("ha/sensor/t_board7/config"), "");
}

void TestMqtt::brokerRestart()
{
    // A retained command is applied when published, and never again when the
    // broker replays it at the next subscription.
    QCOMPARE(pub("t/8/message/set", "ONCE", true), 0);
    QVERIFY(frame(build(8, 0, 99, "ONCE")));
    const qsizetype states = seen("t/3/state", "0").size();
    const qsizetype errors = seen("t/error").size();
    m_broker.terminate(); // it keeps its retained messages
    QVERIFY(m_broker.waitForFinished());
    m_watch.kill();
    m_watch.waitForFinished();
    m_datagrams.clear();
    startBroker();
    QTRY_VERIFY_WITH_TIMEOUT(seen("t/3/state", "0").size() > states, 10000);
    QTRY_COMPARE(seen("t/error").size(), errors + 1);
    QVERIFY(seen("t/error").last().contains("retained"));
    QCOMPARE(pub("t/8/message/set", "AGAIN"), 0);
    QVERIFY(frame(build(8, 0, 99, "AGAIN")));
    QVERIFY(!m_datagrams.contains(build(8, 0, 99, "ONCE")));
}

void TestMqtt::lastWill()
{
    QCOMPARE(retained("t/status"), "online");
    ::kill(pid_t(m_service.processId()), SIGKILL);
    m_service.waitForFinished();
    QTRY_COMPARE_WITH_TIMEOUT(retained("t/status"), "offline", 5000);
}

QTEST_GUILESS_MAIN(TestMqtt)
#include "tst_mqtt.moc"
