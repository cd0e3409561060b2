#include "NetworkGuard.h"
#include "PseudoTerminal.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <csignal>

using Frames = QByteArrayList;

static void row(const char *name, const char *request, const QByteArray &body, int status, const char *answer,
                const Frames &sent = {})
{
    QTest::newRow(name) << QByteArray(request) << body << status << QString(answer) << sent;
}

struct Reply
{
    int status = 0;
    QByteArray head, body;
    QJsonDocument json() const { return QJsonDocument::fromJson(body); }
};

// build/VaroServe as a process inside the private network, on a free HTTP
// port that it names on standard error, with its store in the test's folder.
class Service
{
public:
    QProcess process;
    quint16 port = 0;

    bool start(const QStringList &arguments)
    {
        process.setReadChannel(QProcess::StandardError);
        process.start(VAROSERVE, QStringList { "--listen", "127.0.0.1:0" } + arguments);
        static const QRegularExpression listening("listening on http://127.0.0.1:(\\d+)/");
        QByteArray said;
        while (process.waitForReadyRead(5000)) {
            said += process.readAllStandardError();
            if (const auto match = listening.match(QString::fromUtf8(said)); match.hasMatch()) {
                port = match.captured(1).toUShort();
                return true;
            }
        }
        qWarning("%s", said.constData());
        return false;
    }
    Reply http(const QByteArray &method, const QByteArray &path, const QByteArray &body = {},
               const QByteArray &headers = {}) const
    {
        return raw(method + ' ' + path + " HTTP/1.1\r\nConnection: close\r\n" + headers
                   + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    }
    Reply raw(const QByteArray &request) const
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.waitForConnected(2000);
        socket.write(request);
        QByteArray answer;
        while (socket.waitForReadyRead(5000))
            answer += socket.readAll();
        Reply reply;
        const qsizetype end = answer.indexOf("\r\n\r\n");
        reply.head = answer.left(end);
        reply.body = answer.mid(end + 4);
        reply.status = answer.mid(9, 3).toInt();
        return reply;
    }
    int stop(int signal = SIGTERM)
    {
        ::kill(pid_t(process.processId()), signal);
        process.waitForFinished(5000);
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    ~Service()
    {
        if (process.state() != QProcess::NotRunning)
            stop(SIGKILL);
    }
};

class tst_VaroServe : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;
    QUdpSocket line;
    Service shared;

    QString store(const QString &name = "store.sqlite") const { return folder.filePath(name); }
    // A file of the test's folder, only its owner may read unless told otherwise.
    QString write(const QString &name, const QByteArray &bytes, QFile::Permissions mode = QFile::ReadOwner)
    {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.setPermissions(mode))
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }
    QString udp() const { return QString("UDP%1").arg(line.localPort()); }
    Frames frames()
    {
        Frames received;
        // A frame is written before the answer; loopback delivers at once.
        while (line.hasPendingDatagrams() || line.waitForReadyRead(100))
            received << line.receiveDatagram().data();
        return received;
    }

private slots:
    void initTestCase()
    {
        REQUIRE_PRIVATE_NETWORK();
        QVERIFY(folder.isValid());
        QVERIFY(line.bind(QHostAddress::AnyIPv4, 0));
        QVERIFY(shared.start({ "--data", store("api.sqlite"), udp() }));
    }

    void api_data()
    {
        QTest::addColumn<QByteArray>("request"); // method and path
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("answer"); // the error, or a part of the answer
        QTest::addColumn<Frames>("sent");
        row("message: the frame on the wire", "PUT /api/boards/5/message",
            R"({"text":"HELLO","mode":"center","brightness":75})", 200, "\"board\":5", { "\r5C2\r5B75\r5AHELLO\r5D" });
        row("malformed JSON", "PUT /api/boards/5/message", "{\"text\":", 400, "malformed JSON");
        row("counter set, used by a text", "PUT /api/counters/days", R"({"value":41})", 200, "\"value\":41");
        row("counter field in a playlist", "PUT /api/boards/7/playlist", R"([{"text":"{counter:days} days"}])", 200, "",
            { "\r7C0\r7B99\r7A41 days\r7D" });
        row("counter add 1 re-sends the text", "POST /api/counters/days/add", "", 200, "\"value\":42",
            { "\r7C0\r7B99\r7A42 days\r7D" });
        row("counter value not a number", "PUT /api/counters/days", R"({"value":"x"})", 400, "value");
        row("counter added past its largest", "POST /api/counters/days/add", R"({"by":"9223372036854775807"})", 400,
            "by must be a whole number");
        row("alert pre-empts the playlist", "POST /api/boards/7/alerts",
            R"({"text":"FIRE","priority":9,"seconds":600})", 201, "\"secondsLeft\":600", { "\r7C0\r7B99\r7AFIRE\r7D" });
        row("unknown alert", "DELETE /api/boards/7/alerts/999", "", 404, "no such alert: 999");
        row("alerts cleared: the playlist resumes", "DELETE /api/boards/7/alerts", "", 204, "",
            { "\r7C0\r7B99\r7A42 days\r7D" });
        row("playlist cleared: an empty frame", "DELETE /api/boards/7/playlist", "", 204, "",
            { "\r7C0\r7B99\r7A\r7D" });
        row("journal of one board, newest first", "GET /api/journal?board=5&limit=1", "", 200, R"("board":5,)");
        row("journal limit 0", "GET /api/journal?limit=0", "", 400, "limit must be");
        row("unknown path", "GET /api/nothing", "", 404, "no such path: /api/nothing");
        row("wrong method", "POST /api/boards/5/message", "", 405, "POST is not allowed here; allowed: PUT");
        row("a body of exactly 1 MiB is taken", "PUT /api/boards/1/message",
            QByteArray(R"({"text":"x"})").leftJustified(1 << 20), 200, "", { "\r1C0\r1B99\r1Ax\r1D" });
    }
    void api()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, body);
        QFETCH(Frames, sent);
        const QByteArrayList words = request.split(' ');
        const Reply reply = shared.http(words[0], words[1], body);
        QTEST(reply.status, "status");
        QFETCH(QString, answer);
        QVERIFY2(reply.body.contains(answer.toUtf8()), reply.body.constData());
        if (reply.status >= 400)
            QVERIFY(reply.json()["error"].isString());
        if (reply.status == 405)
            QVERIFY(reply.head.contains("\r\nAllow: PUT"));
        QCOMPARE(frames(), sent);
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        QTest::newRow("body over 1 MiB answered before it is sent")
                << QByteArray("PUT /api/boards/1/message HTTP/1.1\r\nContent-Length: 1048577\r\n\r\n") << 413;
        QTest::newRow("body without a length")
                << QByteArray("PUT /api/boards/1/message HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n") << 411;
        QTest::newRow("not HTTP") << QByteArray("HELLO\r\n\r\n") << 400;
        QTest::newRow("head over 64 KiB") << "GET /api/health HTTP/1.1\r\nX: " + QByteArray(70000, 'x') << 431;
    }
    void refused()
    {
        QFETCH(QByteArray, request);
        const Reply reply = shared.raw(request);
        QTEST(reply.status, "status");
        QVERIFY(reply.head.contains("Connection: close"));
        QVERIFY(reply.json()["error"].isString());
        QCOMPARE(frames(), Frames {});
    }

    // Drawn as far into its crawl as the board is; a preview from its start.
    void faceShowsTheCrawlWhereTheBoardIs()
    {
        shared.http("PUT", "/api/boards/6/message", R"({"text":"GO","mode":"fast"})");
        QTest::qWait(300);
        const Reply face = shared.http("GET", "/api/boards/6/face.png");
        QVERIFY(QRegularExpression("Elapsed-Ms: (\\d+)").match(face.head).captured(1).toInt() >= 300);
        QVERIFY(face.body != shared.http("GET", "/api/boards/6/face.png?text=GO&mode=fast").body);
        frames();
    }

    void idleAndHalfSentConnectionsStopNobody()
    {
        QTcpSocket idle, half;
        idle.connectToHost(QHostAddress::LocalHost, shared.port);
        half.connectToHost(QHostAddress::LocalHost, shared.port);
        QVERIFY(idle.waitForConnected() && half.waitForConnected());
        half.write("PUT /api/boards/3/message HTTP/1.1\r\nContent-Length: 20\r\n\r\n{\"te");
        QVERIFY(half.waitForBytesWritten());
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(shared.http("PUT", "/api/boards/3/message", R"({"text":"go"})").status, 200);
        QCOMPARE(frames(), Frames { "\r3C0\r3B99\r3Ago\r3D" });
        QVERIFY(timer.elapsed() < 2000);
        // Both are closed after the request time; the half-sent one is told why.
        QTRY_COMPARE_WITH_TIMEOUT(half.state(), QAbstractSocket::UnconnectedState, 15000);
        QVERIFY(half.readAll().startsWith("HTTP/1.1 408 "));
        QTRY_COMPARE_WITH_TIMEOUT(idle.state(), QAbstractSocket::UnconnectedState, 2000);
    }

    void token()
    {
        const QString file = write("token", "0123456789abcdef\n");
        Service service;
        QVERIFY(service.start({ "--token-file", file, "--data", store("token.sqlite"), udp() }));
        QCOMPARE(service.http("GET", "/api/health").status, 401);
        QCOMPARE(service.http("GET", "/api/nothing", {}, "Authorization: Bearer 0123456789abcdeX\r\n").status, 401);
        QCOMPARE(service.http("GET", "/api/health", {}, "Authorization: Bearer 0123456789abcdef\r\n").status, 200);
        QCOMPARE(service.stop(), 0);
    }

    void startRefused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        const QString openToOthers = write("open-token", "0123456789abcdef", QFile::ReadOwner | QFile::ReadOther);
        QTest::newRow("a second service on the same store")
                << QStringList { "--data", store("api.sqlite"), "UDP9" } << 1 << "database is locked";
        QTest::newRow("transport as the window words it")
                << QStringList { "tcp80" } << 1 << "The command line argument \"tcp80\"is not recognized";
        QTest::newRow("no TRANSPORT") << QStringList {} << 2 << "Missing TRANSPORT";
        QTest::newRow("open address without a token")
                << QStringList { "--listen", "0.0.0.0:8470", "UDP9" } << 2 << "give --token-file";
        QTest::newRow("token file others can read")
                << QStringList { "--token-file", openToOthers, "UDP9" } << 2 << "can be read or changed by other users";
    }
    void startRefused()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, said);
        QProcess process;
        process.start(QStringLiteral(VAROSERVE), arguments);
        QVERIFY(process.waitForFinished(5000));
        QTEST(process.exitCode(), "exitCode");
        QVERIFY2(process.readAllStandardError().contains(said.toUtf8()), qPrintable(said));
    }

    void stateSurvivesKillAndRestart()
    {
        const QStringList arguments { "--data", store("restart.sqlite"), udp() };
        {
            Service service;
            QVERIFY(service.start(arguments));
            QCOMPARE(service.http("PUT", "/api/boards/2/playlist", R"([{"text":"A {counter:c}"},{"text":"B"}])").status,
                     200);
            QCOMPARE(service.http("PUT", "/api/counters/c", R"({"value":7})").status, 200);
            QCOMPARE(service.http("POST", "/api/boards/4/alerts", R"({"text":"ALERT","seconds":600})").status, 201);
            frames();
            QCOMPARE(service.stop(SIGKILL), -1);
        }
        Service service;
        QVERIFY(service.start(arguments));
        // At start each board gets its current frame once: it may have lost power.
        Frames sent = frames();
        std::sort(sent.begin(), sent.end());
        QCOMPARE(sent, (Frames { "\r2C0\r2B99\r2AA 7\r2D", "\r4C0\r4B99\r4AALERT\r4D" }));
        QCOMPARE(service.http("GET", "/api/boards/2").json()["playlist"].toArray().size(), 2);
        QCOMPARE(service.http("GET", "/api/counters").json()["counters"].toObject(), (QJsonObject { { "c", 7 } }));
        QVERIFY(service.http("GET", "/api/boards/4").json()["alerts"][0]["secondsLeft"].toInt() > 590);
        QCOMPARE(service.http("DELETE", "/api/boards/4/alerts/1").status, 204);
        QCOMPARE(service.stop(SIGTERM), 0);
    }

    void serialLineNotReadHoldsNoBacklog()
    {
        PseudoTerminal terminal;
        QVERIFY(terminal.isValid());
        terminal.mapAs(7);
        Service service;
        QVERIFY(service.start({ "--data", store("serial.sqlite"), "COM7" }));
        const int changes = 200;
        QElapsedTimer pouring;
        pouring.start();
        for (int i = 0; i < changes; ++i)
            QCOMPARE(service.http("PUT", "/api/boards/1/message", QString(R"({"text":"n%1"})").arg(i).toUtf8()).status,
                     200);
        const qint64 pouredMs = pouring.elapsed();
        const QByteArray bytes = terminal.read(500);
        static const QRegularExpression frame("^(\r1C0\r1B99\r1An(\\d+)\r1D)+$");
        QVERIFY2(frame.match(QString::fromLatin1(bytes)).hasMatch(), bytes.constData());
        // One frame at a time, each given the time 9600 baud needs for its 17
        // to 19 bytes (17.7 ms at least): no more frames than fit in the time
        // the changes took, and the first and the last.
        const qsizetype count = bytes.count("D");
        QVERIFY2(count <= pouredMs / 17 + 3, qPrintable(QString("%1 in %2 ms").arg(count).arg(pouredMs)));
        QVERIFY(count < changes);
        QVERIFY(bytes.endsWith(QString("\r1An%1\r1D").arg(changes - 1).toLatin1()));
        QCOMPARE(service.stop(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_VaroServe)
#include "tst_varoserve.moc"
