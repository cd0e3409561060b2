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

static QJsonDocument json(const QByteArray &text)
{
    return QJsonDocument::fromJson(text);
}

static int freePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

static QByteArray build(int board, int mode, int brightness, const QString &text)
{
    return BoardFrame::build(QString::number(board), mode, QString::number(brightness), text);
}

static void row(const char *name, const char *topic, const QByteArray &payload, int board, int mode, int brightness,
                const char *text)
{
    QTest::newRow(name) << QString(topic) << payload << build(board, mode, brightness, text) << board;
}

static void row(const char *name, const char *topic, const QByteArray &payload, const char *words)
{
    QTest::newRow(name) << QString(topic) << payload << QString(words);
}

// VaroServe on a broker of the test's own: commands from mosquitto_pub,
// frames caught as datagrams, what the service publishes read by mosquitto_sub.
class TestMqtt : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        REQUIRE_PRIVATE_NETWORK();
        if (QStandardPaths::findExecutable("mosquitto", { "/usr/sbin" }).isEmpty()
            || QStandardPaths::findExecutable("mosquitto_sub").isEmpty())
            QSKIP("The MQTT broker and its clients are missing: apt-get install mosquitto mosquitto-clients");
        QVERIFY(m_udp.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::ShareAddress));
        m_port = QString::number(freePort());
        m_http = QString::number(freePort());
        m_tlsPort = QString::number(freePort());
        makeCertificates();
        connect(&m_watch, &QProcess::readyReadStandardOutput, this, [this] {
            while (m_watch.canReadLine())
                m_lines << QString::fromUtf8(m_watch.readLine().chopped(1));
        });
        startBroker();
        // Left by an earlier run for a board since emptied: withdrawn at connection.
        pub("t/6/state", "{}", true);
        pub("ha/sensor/t_board6/config", "{}", true);
        m_service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_service.start(VAROSERVE,
                        { "--listen", "127.0.0.1:" + m_http, "--mqtt-site", "plant", "--data",
                          m_dir.filePath("store.sqlite"), "--mqtt", "mqtt://127.0.0.1:" + m_port, "--mqtt-prefix", "t",
                          "--ha-prefix", "ha", "--boards", "5", QString("UDP%1").arg(m_udp.localPort()) });
        QTRY_VERIFY_WITH_TIMEOUT(seen("t/status").contains("online"), 10000);
    }

    void cleanupTestCase()
    {
        for (QProcess *process : { &m_service, &m_watch, &m_broker }) {
            process->kill();
            process->waitForFinished();
        }
    }

    // One service throughout: each row starts from what the rows above left.
    void commands_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("board");

        row("plain text on an empty board: left, 99", "t/3/message/set", "A", 3, 0, 99, "A");
        row("mode by name keeps the text", "t/3/mode/set", "fast", 3, 5, 99, "A");
        row("brightness 0 is no refusal", "t/3/brightness/set", "0", 3, 5, 0, "A");
        row("plain text keeps mode and brightness", "t/3/message/set", "{{B}}", 3, 5, 0, "{B}");
        row("JSON message as the API's", "t/3/message/set", R"({"text":"N={counter:n}","mode":2})", 3, 2, 99, "N=0");
        row("counter set", "t/counter/n/set", "41", 3, 2, 99, "N=41");
        row("empty counter add counts one", "t/counter/n/add", "", 3, 2, 99, "N=42");
        row("alert pre-empts", "t/3/alert/set", R"({"text":"FIRE"})", 3, 0, 99, "FIRE");
        row("alert clear, binary or not, resumes", "t/3/alert/clear", QByteArray("\xff\0", 2), 3, 2, 99, "N=42");
        row("topic not heard yet: empty", "t/4/message/set", "T={mqtt:a/b}C", 4, 0, 99, "T=C");
        row("value arriving, controls dropped", "a/b", "21.5\t", 4, 0, 99, "T=21.5C");
    }

    void commands()
    {
        QFETCH(QString, topic);
        QFETCH(QByteArray, payload);
        QFETCH(QByteArray, frame);
        QFETCH(int, board);
        const QString state = QString("t/%1/state").arg(board);
        const qsizetype states = seen(state, "0").size();
        QCOMPARE(pub(topic, payload), 0);
        QVERIFY2(this->frame(frame), frame.constData());
        // The state told once for each change.
        QTRY_COMPARE(seen(state, "0").size(), states + 1);
        QTest::qWait(100);
        QCOMPARE(seen(state, "0").size(), states + 1);
    }

    void refused_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("words");

        row("brightness 100", "t/3/brightness/set", "100", "brightness must be");
        row("board 100", "t/100/mode/set", "1", "board must be");
        row("plain text to board 100", "t/100/message/set", "A", "board must be");
        row("an alert to board 100 is read as JSON first", "t/100/alert/set", "{", "malformed JSON");
        row("not UTF-8", "t/3/message/set", "caf\xe9", "payload must be a text");
        row("counter at the 64-bit edge, as over HTTP", "t/counter/n/set", "9223372036854775807",
            "value must be a whole number from -9007199254740991 to 9007199254740991");
        row("a byte over 64 KiB", "t/3/message/set", QByteArray(65537, 'a'), "64 KiB");
        row("alert not JSON", "t/3/alert/set", "{", "malformed JSON");
        row("a message that opens as JSON is read as JSON", "t/3/message/set", R"( { "text":"A")", "malformed JSON");
        row("a group's message as well", "t/group/g/message/set", R"({"text":)", "malformed JSON");
        row("a brace before a name opens a field", "t/3/message/set", "{text}", "unknown field {text}");
        row("unknown command", "t/3/colour/set", "red", "not a command topic");
    }

    void refused()
    {
        QFETCH(QString, topic);
        QFETCH(QByteArray, payload);
        QFETCH(QString, words);

        const QByteArray state = retained("t/3/state");
        const qsizetype errors = seen("t/error").size();
        QCOMPARE(pub(topic, payload), 0);
        QTRY_COMPARE(seen("t/error").size(), errors + 1);
        const QJsonDocument error = json(seen("t/error").last().toUtf8());
        QCOMPARE(error["topic"].toString(), topic);
        QVERIFY2(error["error"].toString().contains(words), qPrintable(error["error"].toString()));
        const QJsonObject audit = lastAudit();
        QCOMPARE(audit["who"].toString() + ' ' + audit["from"].toString(), "mqtt " + topic);
        QCOMPARE(audit["error"].toString(), error["error"].toString());
        QTest::qWait(200);
        QVERIFY(!m_udp.hasPendingDatagrams());
        QCOMPARE(retained("t/3/state"), state);
        QCOMPARE(seen("t/error").size(), errors + 1);
    }

    void discovery()
    {
        QCOMPARE(json(retained("t/3/state"))["text"].toString(), "N=42");
        QVERIFY(json(retained("ha/text/t_board3/config")).isObject());
        QVERIFY(json(retained("ha/number/t_board5/config")).isObject()); // --boards 5
        QCOMPARE(retained("ha/sensor/t_board6/config") + retained("t/6/state"), "");
        // An alert alone announces its board; when it ends, the board is withdrawn.
        const qsizetype before = seen("ha/sensor/t_board7/config").size();
        QCOMPARE(pub("t/7/alert/set", R"({"text":"BRIEF","seconds":1})"), 0);
        QTRY_COMPARE(seen("ha/sensor/t_board7/config").size(), before + 1);
        QTRY_COMPARE(seen("ha/sensor/t_board7/config").size(), before + 2);
        QCOMPARE(retained("ha/sensor/t_board7/config"), "");
        QTRY_VERIFY(m_lines.lastIndexOf("0 ha/sensor/t_board7/config ") < m_lines.lastIndexOf("0 t/7/state "));
        // Under an alert the entities show what was set: the text with its
        // fields, and a brightness moved there.
        QCOMPARE(pub("t/3/alert/set", R"({"text":"FIRE"})"), 0);
        QCOMPARE(pub("t/3/brightness/set", "40"), 0);
        QTRY_COMPARE(json(retained("t/3/state"))["item"]["brightness"].toInt(), 40);
        const QJsonDocument state = json(retained("t/3/state"));
        QCOMPARE(state["text"].toString(), "FIRE");
        QCOMPARE(state["brightness"].toInt(), 99);
        QCOMPARE(state["item"]["text"].toString() + ' ' + state["item"]["mode"].toString(), "N={counter:n} center");
        QCOMPARE(pub("t/3/alert/clear", ""), 0);
        QVERIFY(frame(build(3, 2, 40, "N=42")));
    }

    // The broker restarted keeps its retained messages, and the service tells
    // it only what changed meanwhile: a board changed, a board emptied (its
    // configs before its state). A command once published retained is
    // replayed at the new subscription, and refused then.
    void brokerRestart()
    {
        QCOMPARE(pub("t/8/message/set", "ONCE", true), 0);
        QVERIFY(frame(build(8, 0, 99, "ONCE")));
        QTRY_VERIFY(!seen("ha/sensor/t_board8/config").isEmpty()); // announced before the broker goes
        for (QProcess *process : { &m_broker, &m_watch }) {
            process->terminate();
            QVERIFY(process->waitForFinished());
        }
        QCOMPARE(put(m_http, "/api/boards/3/message", R"({"text":"N={counter:n}!"})"), 200);
        QCOMPARE(put(m_http, "/api/boards/8/playlist", {}, "DELETE"), 204);
        m_datagrams.clear();
        // Held until the watcher listens, which then sees all it publishes.
        QCOMPARE(kill(pid_t(m_service.processId()), SIGSTOP), 0);
        const qsizetype mark = m_lines.size();
        startBroker();
        const bool listening = QTest::qWaitFor([&] { return m_lines.mid(mark).join('\n').contains("1 t/status "); });
        QCOMPARE(kill(pid_t(m_service.processId()), SIGCONT), 0);
        QVERIFY(listening);
        QStringList told { "t/status online", "t/error", "t/3/state" };
        for (const QString component : { "text", "select", "number", "sensor" })
            told << "ha/" + component + "/t_board8/config ";
        told << "t/8/state ";
        const auto live = [&] { // the payloads told below cut off
            return m_lines.mid(mark)
                    .filter(QRegularExpression("^0 "))
                    .replaceInStrings(QRegularExpression("^0 |(?<=t/error|t/3/state) .*"), "");
        };
        QTRY_COMPARE_WITH_TIMEOUT(live().size(), told.size(), 10000);
        QTest::qWait(300);
        QCOMPARE(live(), told);
        QVERIFY(seen("t/error").last().contains("retained"));
        QCOMPARE(json(seen("t/3/state").last().toUtf8())["text"].toString(), "N=42!");
        // Listened to again.
        QCOMPARE(pub("a/b", "22"), 0);
        QVERIFY(frame(build(4, 0, 99, "T=22C")));
        QCOMPARE(pub("t/8/message/set", "AGAIN"), 0);
        QVERIFY(frame(build(8, 0, 99, "AGAIN")));
        QVERIFY(!m_datagrams.contains(build(8, 0, 99, "ONCE")));
    }

    // Two services under one site: a publish there reaches the group's boards
    // of both, and a service with none of them says nothing; a declared
    // board is a device named by its name while it has no content.
    void siteGroups()
    {
        const QString http = QString::number(freePort());
        QProcess other;
        other.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        other.start(VAROSERVE,
                    { "--listen", "127.0.0.1:" + http, "--data", m_dir.filePath("other.sqlite"), "--mqtt",
                      "mqtt://127.0.0.1:" + m_port, "--mqtt-prefix", "u", "--mqtt-client-id", "u", "--mqtt-site",
                      "plant", "--no-ha", QString("UDP%1").arg(m_udp.localPort()) });
        QTRY_COMPARE_WITH_TIMEOUT(retained("u/status"), "online", 10000);
        QCOMPARE(put(m_http, "/api/boards/30", R"({"name":"Hall B","groups":["hall"]})"), 200);
        QCOMPARE(put(http, "/api/boards/40", R"({"groups":["hall"]})"), 200);
        QCOMPARE(put(http, "/api/boards/41", R"({"groups":["yard"]})"), 200);
        QTRY_COMPARE(json(retained("ha/text/t_board30/config"))["device"]["name"].toString(), "Hall B (30)");
        QCOMPARE(pub("plant/group/hall/message/set", "EVAC"), 0);
        frame(build(30, 0, 99, "EVAC"));
        QVERIFY(m_datagrams.contains(build(30, 0, 99, "EVAC")));
        QVERIFY(m_datagrams.contains(build(40, 0, 99, "EVAC")) || frame(build(40, 0, 99, "EVAC")));
        const qsizetype errors = seen("t/error").size();
        QCOMPARE(pub("plant/group/yard/alert/set", R"({"text":"Y"})"), 0);
        QVERIFY(frame(build(41, 0, 99, "Y")));
        QCOMPARE(pub("t/group/yard/playlist/set", "[]"), 0);
        // Told in order: had the site's alert been refused, it would be first.
        QTRY_COMPARE(seen("t/error").size(), errors + 1);
        QVERIFY(seen("t/error").last().startsWith(R"({"error":"no board is in the group \"yard\"","topic":"t/group)"));
        other.kill();
        other.waitForFinished();
    }

    void lastWill()
    {
        QCOMPARE(retained("t/status"), "online");
        m_service.kill();
        QTRY_COMPARE(retained("t/status"), "offline");
    }

    // Over TLS, the service's certificate checks and what they say: a
    // connection, a refusal each attempt while it keeps running, or a usage
    // mistake (2) before it starts.
    void tls_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        const QString to = "mqtts://localhost:" + m_tlsPort, at = "mqtts://127.0.0.1:" + m_tlsPort;
        const auto files = [this](const char *ca, const char *cert, const char *key) {
            return QStringList { "--mqtt-ca", m_tls + ca, "--mqtt-cert", m_tls + cert, "--mqtt-key", m_tls + key };
        };
        QTest::newRow("verified, with a client certificate")
                << files("ca.pem", "client.pem", "client.key") + QStringList { "--mqtt", to } << -1 << "connected";
        QTest::newRow("another authority")
                << files("other.pem", "client.pem", "client.key") + QStringList { "--mqtt", to } << -1
                << "does not verify: self-signed certificate in certificate chain";
        QTest::newRow("an address the certificate does not name") << files("ca.pem", "client.pem", "client.key")
                        + QStringList { "--mqtt", at } << -1 << "does not verify: IP address mismatch";
        QTest::newRow("a key not the certificate's")
                << files("ca.pem", "client.pem", "other.key") + QStringList { "--mqtt", to } << 2
                << "other.key\" cannot be used for TLS: key values mismatch";
        QTest::newRow("a key others can read")
                << files("ca.pem", "client.pem", "open.key") + QStringList { "--mqtt", to } << 2
                << "can be read or changed by other users";
        QTest::newRow("a certificate without its key")
                << QStringList { "--mqtt", to, "--mqtt-cert", m_tls + "client.pem" } << 2 << "go together";
    }
    void tls()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        if (m_tls.isEmpty())
            QSKIP("openssl is missing: apt-get install openssl");
        QProcess service;
        service.start(VAROSERVE,
                      QStringList { "--listen", "127.0.0.1:0", "--data", m_dir.filePath(QTest::currentDataTag()),
                                    "--no-ha", "--mqtt-prefix", "tls", "UDP9" }
                              + arguments);
        QByteArray told;
        QTRY_VERIFY_WITH_TIMEOUT((told += service.readAllStandardError()).contains(said.toUtf8()), 10000);
        if (exitCode >= 0) {
            QTRY_COMPARE(service.state(), QProcess::NotRunning);
            QCOMPARE(service.exitCode(), exitCode);
        }
        QCOMPARE(service.state(), exitCode < 0 ? QProcess::Running : QProcess::NotRunning);
        service.kill();
        service.waitForFinished();
    }

private:
    // An authority, the broker's certificate for localhost, a client
    // certificate, and another authority with its key.
    void makeCertificates()
    {
        if (QStandardPaths::findExecutable("openssl").isEmpty())
            return;
        const QString tls = m_dir.filePath("tls/");
        QDir().mkpath(tls);
        const auto openssl = [&tls](const QString &arguments) {
            QProcess process;
            process.setWorkingDirectory(tls);
            process.start("openssl", arguments.split(' '));
            return process.waitForFinished(30000) && process.exitCode() == 0;
        };
        const QString request = "req -newkey rsa:2048 -nodes -days 2 -subj /CN=";
        QVERIFY(openssl(request + "CA -x509 -keyout ca.key -out ca.pem"));
        QVERIFY(openssl(request + "Other -x509 -keyout other.key -out other.pem"));
        for (const QString name : { "server", "client" }) {
            QVERIFY(openssl(request + (name == "server" ? "localhost" : name) + " -keyout " + name + ".key -out " + name
                            + ".csr -addext subjectAltName=DNS:localhost"));
            QVERIFY(openssl("x509 -req -days 2 -copy_extensions copy -CA ca.pem -CAkey ca.key -CAcreateserial -in "
                            + name + ".csr -out " + name + ".pem"));
        }
        QVERIFY(QFile::copy(tls + "client.key", tls + "open.key"));
        QVERIFY(QFile::setPermissions(tls + "open.key", QFile::ReadOwner | QFile::ReadOther));
        for (const QString key : { "ca", "other", "server", "client" })
            QVERIFY(QFile::setPermissions(tls + key + ".key", QFile::ReadOwner | QFile::WriteOwner));
        m_tls = tls;
    }

    // The sandbox makes the test root: the broker is told to stay root rather
    // than switch to a user it may not become there.
    void startBroker()
    {
        QFile config(m_dir.filePath("broker.conf"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(QString("listener %1 127.0.0.1\nallow_anonymous true\nuser root\npersistence true\n"
                             "persistence_location %2/\n")
                             .arg(m_port, m_dir.path())
                             .toUtf8());
        if (!m_tls.isEmpty())
            config.write(QString("listener %1 127.0.0.1\ncafile %2ca.pem\ncertfile %2server.pem\nkeyfile %2server.key\n"
                                 "require_certificate true\n")
                                 .arg(m_tlsPort, m_tls)
                                 .toUtf8());
        config.close();
        m_broker.start(QStandardPaths::findExecutable("mosquitto", { "/usr/sbin" }), { "-c", config.fileName() });
        QTRY_VERIFY(QProcess::execute("mosquitto_pub", { "-p", m_port, "-t", "probe", "-n" }) == 0);
        m_watch.start("mosquitto_sub", { "-p", m_port, "-q", "1", "-F", "%r %t %p", "-t", "t/#", "-t", "ha/#" });
    }

    int pub(const QString &topic, const QByteArray &payload, bool retain = false)
    {
        QProcess process;
        QStringList arguments { "-p", m_port, "-q", "1", "-t", topic, payload.isEmpty() ? "-n" : "-s" };
        process.start("mosquitto_pub", retain ? arguments << "-r" : arguments);
        process.write(payload);
        process.closeWriteChannel();
        process.waitForFinished();
        return process.exitCode();
    }

    // The newest entry of the service's audit.
    QJsonObject lastAudit() const
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_http.toUShort());
        socket.write("GET /api/audit?limit=1 HTTP/1.1\r\nConnection: close\r\n\r\n");
        QByteArray answer;
        while (socket.waitForReadyRead(5000))
            answer += socket.readAll();
        return QJsonDocument::fromJson(answer.mid(answer.indexOf("\r\n\r\n") + 4))["audit"][0].toObject();
    }
    static int put(const QString &port, const QByteArray &path, const QByteArray &body,
                   const QByteArray &method = "PUT")
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port.toUShort());
        socket.write(method + ' ' + path + " HTTP/1.1\r\nConnection: close\r\nContent-Length: "
                     + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        QByteArray answer;
        while (socket.waitForReadyRead(5000))
            answer += socket.readAll();
        return answer.mid(9, 3).toInt();
    }

    QByteArray retained(const QString &topic)
    {
        QProcess process;
        process.start("mosquitto_sub",
                      { "-p", m_port, "-t", topic, "--retained-only", "-C", "1", "-W", "1", "-F", "%p" });
        process.waitForFinished();
        return process.readAllStandardOutput().trimmed();
    }

    QStringList seen(const QString &topic, const char *flags = "01") const
    {
        QStringList payloads;
        for (const QString &line : m_lines)
            if (line.section(' ', 1, 1) == topic && QByteArray(flags).contains(line.at(0).toLatin1()))
                payloads << line.section(' ', 2);
        return payloads;
    }

    bool frame(const QByteArray &expected)
    {
        QElapsedTimer clock;
        for (clock.start(); clock.elapsed() < 5000; m_udp.waitForReadyRead(50)) {
            while (m_udp.hasPendingDatagrams()) {
                m_datagrams << m_udp.receiveDatagram().data();
                if (m_datagrams.last() == expected)
                    return true;
            }
        }
        return false;
    }

    QTemporaryDir m_dir;
    QString m_port, m_tlsPort, m_http;
    QString m_tls; // the certificates' folder; empty without openssl
    QProcess m_broker, m_service, m_watch;
    QUdpSocket m_udp;
    QStringList m_lines; // "retain-flag topic payload", as the watcher saw them
    QList<QByteArray> m_datagrams;
};

QTEST_GUILESS_MAIN(TestMqtt)
#include "tst_mqtt.moc"
