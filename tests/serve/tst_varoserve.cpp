#include "NetworkGuard.h"
#include "PseudoTerminal.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSslSocket>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <csignal>
#include <memory>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

using Frames = QByteArrayList;

static void row(const char *name, const char *request, const QByteArray &body, int status, const QString &answer,
                const Frames &sent = {})
{
    QTest::newRow(name) << QByteArray(request) << body << status << answer << sent;
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
    QString authority; // with TLS: the certificate the service shows

    bool start(const QStringList &arguments)
    {
        process.setReadChannel(QProcess::StandardError);
        process.start(VAROSERVE, QStringList { "--listen", "127.0.0.1:0" } + arguments);
        static const QRegularExpression listening("listening on https?://127.0.0.1:(\\d+)/");
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
        const auto socket = connection();
        socket->write(request);
        QByteArray answer;
        while (socket->waitForReadyRead(5000))
            answer += socket->readAll();
        Reply reply;
        const qsizetype end = answer.indexOf("\r\n\r\n");
        reply.head = answer.left(end);
        reply.body = answer.mid(end + 4);
        reply.status = answer.mid(9, 3).toInt();
        return reply;
    }
    // A WebSocket on /api/push, its first message (masked, as a client's must be) the token.
    std::unique_ptr<QTcpSocket> push(const QByteArray &token, int receiveBuffer = 0) const
    {
        auto socket = connection(receiveBuffer);
        socket->write("GET /api/push HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                      "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
        while (!socket->peek(4096).contains("\r\n\r\n") && socket->waitForReadyRead(2000)) { }
        socket->read(socket->peek(4096).indexOf("\r\n\r\n") + 4);
        socket->write("\x81" + QByteArray(1, char(0x80 | token.size())) + QByteArray(4, 0) + token);
        socket->waitForBytesWritten(2000);
        return socket;
    }
    // A figure of /proc/PID/status in KiB: VmRSS now, VmHWM at its peak.
    qint64 memory(const QByteArray &field) const
    {
        QFile status(QString("/proc/%1/status").arg(process.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            if (line.startsWith(field + ':'))
                return line.mid(field.size() + 1).trimmed().split(' ').first().toLongLong();
        }
        return -1;
    }
    std::unique_ptr<QTcpSocket> connection(int receiveBuffer = 0) const
    {
        if (!authority.isEmpty()) {
            auto secure = std::make_unique<QSslSocket>();
            QSslConfiguration trusted = secure->sslConfiguration();
            trusted.setCaCertificates(QSslCertificate::fromPath(authority));
            secure->setSslConfiguration(trusted);
            secure->connectToHostEncrypted("127.0.0.1", port, "localhost");
            if (!secure->waitForEncrypted(5000))
                qWarning("%s", qPrintable(secure->errorString()));
            return secure;
        }
        auto socket = std::make_unique<QTcpSocket>();
        if (receiveBuffer > 0) { // so that it reads only when told to
            socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, receiveBuffer);
            socket->setReadBufferSize(receiveBuffer);
        }
        socket->connectToHost(QHostAddress::LocalHost, port);
        socket->waitForConnected(2000);
        return socket;
    }
    // Everything the service says until it closes the connection.
    static QByteArray untilClosed(QTcpSocket &socket, int ms = 5000)
    {
        QByteArray said;
        QElapsedTimer timer;
        timer.start();
        while (socket.state() == QAbstractSocket::ConnectedState && timer.elapsed() < ms) {
            socket.waitForReadyRead(100);
            said += socket.readAll();
        }
        return said + socket.readAll();
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

static QJsonObject json(const char *text)
{
    return QJsonDocument::fromJson(text).object();
}

class tst_VaroServe : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;
    QUdpSocket line;
    Service shared;
    Service guarded; // what one client or many can do over HTTP, its memory read from /proc

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
    // server.pem for localhost with server.key, and another pair, made once
    // with the openssl tool; false without it.
    bool certificates()
    {
        static bool made = false;
        if (made || QStandardPaths::findExecutable("openssl").isEmpty())
            return made;
        for (const QString name : { "server", "other" }) {
            QProcess openssl;
            openssl.setWorkingDirectory(folder.path());
            openssl.start("openssl",
                          QString("req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 "
                                  "-subj /CN=localhost -addext subjectAltName=DNS:localhost -keyout %1.key "
                                  "-out %1.pem")
                                  .arg(name)
                                  .split(' '));
            if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0
                || !QFile::setPermissions(folder.filePath(name + ".key"), QFile::ReadOwner))
                return false;
        }
        return made = true;
    }
    Frames frames()
    {
        Frames received;
        // A frame is written before the answer; loopback delivers at once.
        while (line.hasPendingDatagrams() || line.waitForReadyRead(100))
            received << line.receiveDatagram().data();
        return received;
    }

    // What the line carries until it has been quiet for a while.
    static QByteArray received(QTcpSocket &line)
    {
        QByteArray bytes;
        while (line.waitForReadyRead(500))
            bytes += line.readAll();
        return bytes;
    }

private slots:
    void initTestCase()
    {
        REQUIRE_PRIVATE_NETWORK();
        QVERIFY(folder.isValid());
        QVERIFY(line.bind(QHostAddress::AnyIPv4, 0));
        QVERIFY(shared.start({ "--data", store("api.sqlite"), udp() }));
        // The sanitizer's quarantine of freed memory is not the service's.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":quarantine_size_mb=16");
        guarded.process.setProcessEnvironment(environment);
        QVERIFY(guarded.start({ "--data", store("guarded.sqlite"), udp() }));
        // A board whose answer is 35 KB.
        const QJsonArray items { QJsonObject { { "text", QString(10000, 'x') } } };
        QCOMPARE(guarded.http("PUT", "/api/boards/8/playlist", QJsonDocument(items).toJson()).status, 200);
        frames();
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
        row("board 100 refused before its body", "PUT /api/boards/100/playlist", "[{}]", 400,
            "board must be a whole number from 0 to 99");
        row("a face of no board", "GET /api/boards/x/face.png", "", 400, "board must be");
        row("a preview's brightness worded as a body's", "GET /api/boards/6/face.png?text=A&brightness=100", "", 400,
            "brightness must be a whole number from 0 to 99");
        row("counter set, used by a text", "PUT /api/counters/days", R"({"value":41})", 200, "\"value\":41");
        row("counter field in a playlist", "PUT /api/boards/7/playlist", R"([{"text":"{counter:days} days"}])", 200, "",
            { "\r7C0\r7B99\r7A41 days\r7D" });
        row("counter add 1 re-sends the text", "POST /api/counters/days/add", "", 200, "\"value\":42",
            { "\r7C0\r7B99\r7A42 days\r7D" });
        row("counter value not a number", "PUT /api/counters/days", R"({"value":"x"})", 400, "value");
        const char *counterRange = "value must be a whole number from -9007199254740991 to 9007199254740991";
        row("counter past 2^53 - 1 as a text", "PUT /api/counters/days", R"({"value":"9007199254740992"})", 400,
            counterRange);
        row("counter added past 2^53 - 1", "POST /api/counters/days/add", R"({"by":9007199254740950})", 400,
            counterRange);
        row("alert pre-empts the playlist", "POST /api/boards/7/alerts",
            R"({"text":"FIRE","priority":9,"seconds":600})", 201, "\"secondsLeft\":600", { "\r7C0\r7B99\r7AFIRE\r7D" });
        row("unknown alert", "DELETE /api/boards/7/alerts/999", "", 404, "no such alert: 999");
        row("an alert id that is no number", "DELETE /api/boards/7/alerts/abc", "", 404, "no such alert: abc");
        row("alerts cleared: the playlist resumes", "DELETE /api/boards/7/alerts", "", 204, "",
            { "\r7C0\r7B99\r7A42 days\r7D" });
        row("playlist cleared: an empty frame", "DELETE /api/boards/7/playlist", "", 204, "",
            { "\r7C0\r7B99\r7A\r7D" });
        row("journal of one board, newest first", "GET /api/journal?board=5&limit=1", "", 200, R"("board":5,)");
        row("journal page before an entry", "GET /api/journal?board=7&limit=1&before=6", "", 200,
            R"("id":5,"source":"playlist","text":"42 days","textLength":7,)");
        row("journal limit 1001", "GET /api/journal?limit=1001", "", 400,
            "limit must be a whole number from 1 to 1000");
        row("journal cursor not an id", "GET /api/journal?before=x", "", 400,
            "before must be the id of a journal entry");
        row("the stored item comes back", "PUT /api/boards/5/message", R"({"text":"HI","mode":1})", 200,
            R"("mode":"right","seconds":10,"text":"HI")", { "\r5C1\r5B99\r5AHI\r5D" });
        const QByteArray fits(65492, 'x');
        row("a text that just fits one datagram", "PUT /api/boards/1/message", "{\"text\":\"" + fits + "\"}", 200, "",
            { "\r1C0\r1B99\r1A" + fits + "\r1D" });
        row("the list of boards: the text cut, its whole length given", "GET /api/boards", "", 200,
            "\"text\":\"" + QString(400, 'x') + "\",\"textLength\":65492}");
        row("journal: the text cut, its whole length given", "GET /api/journal?board=1", "", 200,
            "\"text\":\"" + QString(200, 'x') + "\",\"textLength\":65492,");
        row("a character more on board 42 is refused", "PUT /api/boards/42/message", "{\"text\":\"x" + fits + "\"}",
            400, "text is too long for one UDP datagram: board 42 takes at most 65488 characters");
        row("a board declared, with no content", "PUT /api/boards/21", R"({"name":" Hall\nB ","groups":["hall-b"]})",
            200, R"("groups":["hall-b"],"name":"Hall B")");
        row("a board in two groups", "PUT /api/boards/22", R"({"groups":["hall-b","yard","yard"]})", 200,
            R"("groups":["hall-b","yard"],"name":null)");
        row("all is no board's group", "PUT /api/boards/23", R"({"groups":["all"]})", 400,
            "groups[0] must be a group's");
        row("a name of 41 characters", "PUT /api/boards/23", "{\"name\":\"" + QByteArray(41, 'n') + "\"}", 400,
            "name must have at most 40 characters");
        row("17 groups", "PUT /api/boards/23", "{\"groups\":[" + QByteArray("\"g\",").repeated(16) + "\"g\"]}", 400,
            "groups must be a list of at most 16 groups");
        row("the groups", "GET /api/groups", "", 200, R"({"groups":{"hall-b":[21,22],"yard":[22]}})");
        row("a message to a group", "PUT /api/groups/hall-b/message", R"({"text":"GO"})", 200, R"({"boards":[21,22]})",
            { "\r21C0\r21B99\r21AGO\r21D", "\r22C0\r22B99\r22AGO\r22D" });
        row("a group no board is in", "PUT /api/groups/nobody/playlist", "[]", 404,
            R"(no board is in the group \"nobody\")");
        row("a group alert: one id on its boards", "POST /api/groups/hall-b/alerts", R"({"text":"FIRE","seconds":60})",
            201, R"({"boards":[21,22],"id":2})", { "\r21C0\r21B99\r21AFIRE\r21D", "\r22C0\r22B99\r22AFIRE\r22D" });
        row("a group alert ended on one board", "DELETE /api/boards/21/alerts/2", "", 204, "",
            { "\r21C0\r21B99\r21AGO\r21D" });
        row("the group alert ended on the rest", "DELETE /api/groups/hall-b/alerts/2", "", 204, "",
            { "\r22C0\r22B99\r22AGO\r22D" });
        row("a group alert ended before", "DELETE /api/groups/hall-b/alerts/2", "", 404, "no such alert: 2");
        row("a declaration forgotten, its content kept", "DELETE /api/boards/21", "", 204, "");
        row("a board not declared", "DELETE /api/boards/21", "", 404, "board 21 is not declared");
        row("the audit: a group's change, its boards, a loopback caller without tokens",
            "GET /api/audit?board=22&limit=1", "", 200, R"("boards":[21,22],"error":null,"from":"127.0.0.1",)");
        row("the audit: what and who", "GET /api/audit?limit=1", "", 200,
            R"("what":"DELETE /api/boards/21","who":"local"})");
        row("live fields: each with where its value comes from", "GET /api/fields", "", 200,
            R"("name":"mqtt","source":"topic","widest":200})");
        row("glyphs: the renderer's crawl steps", "GET /api/glyphs", "", 200, R"("stepMs":[0,0,0,80,40,20])");
        row("unknown path", "GET /api/nothing", "", 404, "no such path: /api/nothing");
        row("wrong method", "POST /api/boards/5/message", "", 405, "POST is not allowed here; allowed: PUT");
        row("a body of exactly 1 MiB is taken", "PUT /api/boards/1/message",
            QByteArray(R"({"text":"x"})").leftJustified(1 << 20), 200, "", { "\r1C0\r1B99\r1Ax\r1D" });
        // Each refused import leaves the content as it was: the last row's frames are those of the
        // boards it had.
        const QByteArray content = R"({"format":"varoserve-content","version":1,"counters":{},"alerts":[%1],)"
                                   R"("boards":[{"board":3,"playlist":[{"text":"A"}]},%2]})";
        const auto archive = [&content](const char *alerts, const char *board) {
            return QByteArray(content).replace("%1", alerts).replace("%2", board);
        };
        row("import: a mode of no name", "PUT /api/import",
            archive("", R"({"board":4,"playlist":[{"text":"B","mode":"up"}]})"), 400,
            "boards[1].playlist[0].mode must be left, right");
        row("import: a board twice", "PUT /api/import", archive("", R"({"board":3})"), 400,
            "boards[1].board repeats a board given before");
        row("import: an alert on board 100", "PUT /api/import",
            archive(R"({"boards":[2,100],"text":"F","priority":5,"raised":"2030-01-01T00:00:00Z","ends":"2030-01-01T00:00:00Z"})",
                    R"({"board":4})"),
            400, "alerts[0].boards[1] must be a whole number from 0 to 99");
        row("import: every board its frame", "PUT /api/import", archive("", R"({"board":4,"name":"Gate"})"), 200,
            R"("boards":[{"board":3,"playlist":[{)",
            { "\r1C0\r1B99\r1A\r1D", "\r5C0\r5B99\r5A\r5D", "\r21C0\r21B99\r21A\r21D", "\r22C0\r22B99\r22A\r22D",
              "\r3C0\r3B99\r3AA\r3D" });
        row("import: the same again, every board sent its frame", "PUT /api/import",
            archive("", R"({"board":4,"name":"Gate"})"), 200, "", { "\r3C0\r3B99\r3AA\r3D" });
        row("import: a counter it does not hold gone", "GET /api/counters", "", 200, R"({"counters":{}})");
        row("metrics: the frames of board 3", "GET /metrics", "", 200, "varoserve_frames_sent_total{board=\"3\"} 2\n");
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
        // Each of these would be framed otherwise by one reader or another.
        const QByteArray put = "PUT /api/boards/1/message HTTP/1.1\r\n", body = "\r\n{\"text\":\"x\"}";
        QTest::newRow("a length twice, the same") << put + "Content-Length: 12\r\nContent-Length: 12\r\n" + body << 400;
        QTest::newRow("a length beside a transfer coding")
                << put + "Transfer-Encoding: chunked\r\nContent-Length: 12\r\n" + body << 400;
        QTest::newRow("a bare line feed") << put + "X: 1\nContent-Length: 12\r\n" + body << 400;
        QTest::newRow("a folded header") << put + "X: 1\r\n 2\r\nContent-Length: 12\r\n" + body << 400;
        QTest::newRow("101 headers") << put + QByteArray("X: 1\r\n").repeated(100) + "Content-Length: 12\r\n" + body
                                     << 431;
        QTest::newRow("a header over 8 KiB")
                << put + "X: " + QByteArray(8190, 'x') + "\r\nContent-Length: 12\r\n" + body << 431;
        QTest::newRow("64 KiB of blank lines first") << QByteArray("\r\n").repeated(32769) + put << 431;
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

    void token()
    {
        const QString file = write("token", "0123456789abcdef\n");
        Service service;
        QVERIFY(service.start({ "--token-file", file, "--data", store("token.sqlite"), udp() }));
        QCOMPARE(service.http("GET", "/api/health").status, 401);
        QCOMPARE(service.http("GET", "/api/nothing", {}, "Authorization: Bearer 0123456789abcdeX\r\n").status, 401);
        QCOMPARE(service.http("GET", "/api/health", {}, "Authorization: bearer 0123456789abcdef\r\n").status, 200);
        QCOMPARE(service.stop(), 0);
    }

    // Each route class against each role; the refusals come first, so that
    // a row that wrongly let a change through shows in the next row's answer.
    void roles_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QList<int>>("statuses"); // read, operate, admin
        const auto add = [](const char *name, const char *request, const QByteArray &body, QList<int> statuses) {
            QTest::newRow(name) << QByteArray(request) << body << statuses;
        };
        add("a GET", "GET /api/boards/3", "", { 200, 200, 200 });
        add("a board's message", "PUT /api/boards/3/message", R"({"text":"R"})", { 403, 200, 200 });
        add("an alert", "POST /api/boards/3/alerts", R"({"text":"A","seconds":9})", { 403, 201, 201 });
        add("alerts ended", "DELETE /api/boards/3/alerts", "", { 403, 204, 204 });
        add("a counter", "POST /api/counters/c/add", "", { 403, 200, 200 });
        add("a declaration", "PUT /api/boards/3", R"({"name":"Hall","groups":["g"]})", { 403, 403, 200 });
        add("a group's message", "PUT /api/groups/g/message", R"({"text":"G"})", { 403, 200, 200 });
        add("a playlist", "PUT /api/boards/3/playlist", R"([{"text":"P"}])", { 403, 403, 200 });
        add("a board forgotten", "DELETE /api/boards/3", "", { 403, 403, 204 });
    }
    void roles()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, body);
        QFETCH(QList<int>, statuses);
        static const QByteArrayList tokens { "reader0123456789", "operator01234567", "administrator012" };
        static const QString file = write("roles",
                                          "# who may do what\nviewer read reader0123456789\n"
                                          "op operate operator01234567\nboss admin administrator012\n");
        static Service service;
        if (service.process.state() == QProcess::NotRunning)
            QVERIFY(service.start({ "--token-file", file, "--data", store("roles.sqlite"), udp() }));
        const QByteArrayList words = request.split(' ');
        for (int role = 0; role < 3; ++role) {
            const Reply reply
                    = service.http(words[0], words[1], body, "Authorization: Bearer " + tokens[role] + "\r\n");
            QCOMPARE(reply.status, statuses[role]);
            if (reply.status == 403)
                QVERIFY2(reply.json()["error"].toString().contains(role == 0 ? "lacks the " : "lacks the admin role"),
                         reply.body.constData());
        }
        QCOMPARE(service.http("GET", "/api/whoami", {}, "Authorization: Bearer operator01234567\r\n").body,
                 "{\"name\":\"op\",\"role\":\"operate\"}\n");
        frames();
    }

    // Who asked, for what, on which boards and with what end, kept through kill -9.
    void auditSurvivesKill()
    {
        const QStringList arguments { "--token-file",
                                      write("audit-tokens",
                                            "viewer read reader0123456789\nop operate operator01234567\n"
                                            "boss admin administrator012\n"),
                                      "--data", store("audit.sqlite"), udp() };
        const auto bearer = [](const QByteArray &token) { return "Authorization: Bearer " + token + "\r\n"; };
        Service service;
        QVERIFY(service.start(arguments));
        QCOMPARE(service.http("PUT", "/api/boards/3/message", R"({"text":"A"})", bearer("operator01234567")).status,
                 200);
        QCOMPARE(service.http("PUT", "/api/boards/3/message", R"({"text":"B"})", bearer("reader0123456789")).status,
                 403);
        QCOMPARE(service.http("PUT", "/api/boards/3/message", R"({"text":"C"})", bearer("wrong0123456789x")).status,
                 401);
        QCOMPARE(service.http("PUT", "/api/boards/4/message", R"({"mode":"x"})", bearer("operator01234567")).status,
                 400);
        QCOMPARE(service.stop(SIGKILL), -1);
        QVERIFY(service.start(arguments));
        QCOMPARE(service.http("GET", "/api/audit", {}, bearer("operator01234567")).status, 403);
        const Reply reply = service.http("GET", "/api/audit?board=3", {}, bearer("administrator012"));
        QStringList seen;
        for (const QJsonValue entry : reply.json()["audit"].toArray())
            seen << entry["who"].toString("-") + ' ' + entry["from"].toString() + ' ' + entry["what"].toString() + ' '
                            + QString::number(entry["boards"][0].toInt()) + ' '
                            + (entry["applied"].toBool() ? "applied" : entry["error"].toString());
        QCOMPARE(seen,
                 (QStringList { "- 127.0.0.1 PUT /api/boards/3/message 3 a valid \"Authorization: Bearer TOKEN\" "
                                "header is required",
                                "viewer 127.0.0.1 PUT /api/boards/3/message 3 the token \"viewer\" lacks the operate "
                                "role that this needs",
                                "op 127.0.0.1 PUT /api/boards/3/message 3 applied" }));
        frames();
    }

    // Ten wrong tokens within the minute: the eleventh request is refused
    // whatever it carries, and the log says so once.
    void wrongTokensLockTheAddress()
    {
        Service service;
        QVERIFY(service.start(
                { "--token-file", write("lock-token", "0123456789abcdef\n"), "--data", store("lock.sqlite"), udp() }));
        const QByteArray good = "Authorization: Bearer 0123456789abcdef\r\n";
        QCOMPARE(service.http("GET", "/api/health").status, 401); // no token is not a wrong one
        for (int i = 0; i < 10; ++i)
            QCOMPARE(service.http("GET", "/api/health", {}, "Authorization: Bearer 0123456789abcdeX\r\n").status, 401);
        const Reply locked = service.http("GET", "/api/health", {}, good);
        QCOMPARE(locked.status, 429);
        QVERIFY(locked.head.contains("\r\nRetry-After: 60"));
        QCOMPARE(Service::untilClosed(*service.push("0123456789abcdef")).toHex(), "88021131");
        QCOMPARE(service.stop(), 0);
        QCOMPARE(service.process.readAllStandardError().count("too many wrong tokens from 127.0.0.1"), 1);
    }

    // The API, the push and curl over TLS; plain HTTP on its port is closed unanswered.
    void https()
    {
        if (!certificates())
            QSKIP("needs the openssl tool: apt-get install openssl");
        Service service;
        QVERIFY(service.start({ "--tls-cert", folder.filePath("server.pem"), "--tls-key", folder.filePath("server.key"),
                                "--token-file", write("tls-token", "0123456789abcdef\n"), "--data", store("tls.sqlite"),
                                udp() }));
        const QByteArray token = "Authorization: Bearer 0123456789abcdef\r\n";
        const auto plain = service.connection();
        plain->write("GET /api/health HTTP/1.1\r\n" + token + "\r\n");
        QCOMPARE(Service::untilClosed(*plain), QByteArray());
        service.authority = folder.filePath("server.pem");
        QCOMPARE(service.http("PUT", "/api/boards/2/message", R"({"text":"TLS"})", token).status, 200);
        QCOMPARE(frames(), Frames { "\r2C0\r2B99\r2ATLS\r2D" });
        const auto push = service.push("0123456789abcdef");
        QVERIFY(push->waitForReadyRead(2000));
        QCOMPARE(push->read(1), "\x81"); // a text message: the boards
        if (QStandardPaths::findExecutable("curl").isEmpty())
            QSKIP("curl not tried: apt-get install curl");
        QProcess curl;
        curl.start("curl",
                   { "-sS", "--cacert", service.authority, "-H", token.trimmed(),
                     QString("https://localhost:%1/api/whoami").arg(service.port) });
        QVERIFY(curl.waitForFinished(10000));
        QCOMPARE(curl.readAll(), "{\"name\":\"admin\",\"role\":\"admin\"}\n");
    }

    // Refused without the token; with it, a change within a second; clients
    // that never read get no more than the newest state of each board.
    void pushed()
    {
        Service service;
        service.process.setProcessEnvironment(guarded.process.processEnvironment()); // the sanitizer's quarantine
        QVERIFY(service.start(
                { "--token-file", write("push-token", "0123456789abcdef\n"), "--data", store("push.sqlite"), udp() }));
        const auto wrong = service.push("0123456789abcdeX");
        QCOMPARE(Service::untilClosed(*wrong).toHex(), "88021131"); // a close, code 4401, and nothing else
        std::vector<std::unique_ptr<QTcpSocket>> unread;
        for (int i = 0; i < 30; ++i)
            unread.push_back(service.push("0123456789abcdef", 4096));
        const auto reader = service.push("0123456789abcdef");
        QVERIFY(reader->waitForReadyRead(2000));
        const qint64 before = service.memory("VmHWM");
        auto changes = service.connection();
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; timer.elapsed() < 8000; ++i) {
            const QByteArray body = "{\"text\":\"" + QByteArray::number(i) + QByteArray(400, 'x') + "\"}";
            changes->write("PUT /api/boards/" + QByteArray::number(i % 100)
                           + "/message HTTP/1.1\r\nContent-Length: " + QByteArray::number(body.size())
                           + "\r\nAuthorization: Bearer 0123456789abcdef\r\n\r\n" + body);
            while (!changes->readAll().contains("HTTP/1.1 200") && changes->waitForReadyRead(2000)) { }
        }
        // All that was pushed to them, kept waiting, would take some 30 MB by now.
        qInfo("memory grew by %lld KiB", service.memory("VmHWM") - before);
#ifndef __SANITIZE_ADDRESS__ // its allocator's redzones and caches are not the service's
        QCOMPARE_LT(service.memory("VmHWM") - before, 24 * 1024);
#endif
        QTest::qWait(2500); // the reader past the guard's idle time: a WebSocket is not the guard's to close
        reader->readAll();
        // A message, and a declaration of a board with no content: each a change the page is told.
        for (const auto &[path, body] :
             { std::pair<QByteArray, QByteArray> { "/api/boards/4/message", R"({"text":"PUSHED"})" },
               { "/api/boards/31", R"({"name":"PUSHED"})" } }) {
            QCOMPARE(service.http("PUT", path, body, "Authorization: Bearer 0123456789abcdef\r\n").status, 200);
            timer.restart();
            QByteArray seen;
            const QByteArray expected = body.mid(1, body.size() - 2);
            while (!seen.contains(expected) && reader->waitForReadyRead(1000))
                seen += reader->readAll();
            QVERIFY2(seen.contains(expected), expected.constData());
            QCOMPARE_LT(timer.elapsed(), 1000);
        }
        frames();
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
        QTest::newRow("TCP with no port") << QStringList { "TCP:127.0.0.1" } << 2 << "\"TCP:127.0.0.1\" names no port";
        QTest::newRow("open address without a token")
                << QStringList { "--listen", "0.0.0.0:8470", "UDP9" } << 2 << "give --token-file";
        QTest::newRow("token file others can read")
                << QStringList { "--token-file", openToOthers, "UDP9" } << 2 << "can be read or changed by other users";
        QTest::newRow("a role that is none")
                << QStringList { "--token-file", write("bad-role", "x reader 0123456789abcdef"), "UDP9" } << 2
                << "line 1: the role must be";
        QTest::newRow("a certificate without its key")
                << QStringList { "--tls-cert", "a.pem", "UDP9" } << 2 << "go together";
        if (!certificates())
            return;
        const QString certificate = folder.filePath("server.pem");
        QTest::newRow("another certificate's key")
                << QStringList { "--tls-cert", certificate, "--tls-key", folder.filePath("other.key"), "UDP9" } << 2
                << "other.key\" cannot be used for TLS: it is not the key of";
        QTest::newRow("a key for a certificate") << QStringList { "--tls-cert", folder.filePath("server.key"),
                                                                  "--tls-key", folder.filePath("server.key"), "UDP9" }
                                                 << 2 << "server.key\" cannot be used for TLS";
        QTest::newRow("a key that is not there")
                << QStringList { "--tls-cert", certificate, "--tls-key", folder.filePath("none.key"), "UDP9" } << 2
                << "Unable to read";
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
            QCOMPARE(service.http("PUT", "/api/boards/9", R"({"groups":["gate"]})").status, 200);
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
        QCOMPARE(service.http("GET", "/api/groups").body, "{\"groups\":{\"gate\":[9]}}\n");
        QVERIFY(service.http("GET", "/api/boards/4").json()["alerts"][0]["secondsLeft"].toInt() > 590);
        QCOMPARE(service.http("DELETE", "/api/boards/4/alerts/1").status, 204);
        QCOMPARE(service.stop(SIGTERM), 0);
    }

    // Exported, imported into another store, exported again: the same but for when it was written.
    void contentMovesToAnotherStore()
    {
        const auto content = [](Service &service) {
            QJsonObject json = service.http("GET", "/api/export").json().object();
            return json.take("exported").isString() ? json : QJsonObject();
        };
        Service from;
        QVERIFY(from.start({ "--data", store("restart.sqlite"), udp() }));
        QCOMPARE(from.http("POST", "/api/groups/gate/alerts", R"({"text":"GATE","seconds":600})").status, 201);
        const QJsonObject exported = content(from);
        QCOMPARE(exported["alerts"][0]["boards"], (QJsonArray { 9 }));
        QCOMPARE(exported["boards"][0]["playlist"][1]["text"], "B");
        const QString file = write("content.json", QJsonDocument(exported).toJson());
        QProcess cli;
        cli.start(VAROSERVE, { "--import", file, "--data", store("restart.sqlite") });
        QVERIFY(cli.waitForFinished(5000));
        QCOMPARE(cli.exitCode(), 1);
        QVERIFY(cli.readAllStandardError().contains("in use by another VaroServe"));
        QCOMPARE(from.stop(), 0);
        cli.start(VAROSERVE, { "--import", file, "--data", store("moved.sqlite") });
        QVERIFY(cli.waitForFinished(5000));
        QCOMPARE(cli.exitCode(), 0);
        Service to;
        QVERIFY(to.start({ "--data", store("moved.sqlite"), udp() }));
        QCOMPARE(content(to), exported);
        frames();
    }

    // As systemd starts it (Type=notify): ready only once the port answers,
    // never when the store is refused; then the watchdog's pings keep coming.
    void systemdNotified()
    {
        const int notify = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address { AF_UNIX, {} };
        qstrncpy(address.sun_path, QFile::encodeName(store("notify")), sizeof address.sun_path);
        QVERIFY(::bind(notify, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        const auto next = [notify](int ms) {
            char said[64];
            pollfd ready { notify, POLLIN, 0 };
            return QByteArray(said, ::poll(&ready, 1, ms) > 0 ? qMax(0, int(::recv(notify, said, 64, 0))) : 0);
        };
        qputenv("NOTIFY_SOCKET", QFile::encodeName(store("notify")));
        qputenv("WATCHDOG_USEC", "200000");
        QCOMPARE(QProcess::execute(VAROSERVE, { "--data", store("api.sqlite"), udp() }), 1);
        QCOMPARE(next(0), QByteArray());
        Service service;
        service.process.start(VAROSERVE, { "--listen", "127.0.0.1:8471", "--data", store("notify.sqlite"), udp() });
        QCOMPARE(next(10000), "READY=1");
        service.port = 8471;
        QCOMPARE(service.http("GET", "/api/health").status, 200);
        for (int ping = 0; ping < 3; ++ping)
            QCOMPARE(next(2000), "WATCHDOG=1");
        qunsetenv("NOTIFY_SOCKET");
        ::close(notify);
    }

    void olderStoreUpgraded()
    {
        const QString path = store("v1.sqlite");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "v1");
            db.setDatabaseName(path);
            QVERIFY(db.open());
            for (const char *sql :
                 { "CREATE TABLE journal (id INTEGER PRIMARY KEY AUTOINCREMENT, time INTEGER, "
                   "board INTEGER, text TEXT, source TEXT, bytes BLOB)",
                   "INSERT INTO journal VALUES (7, 0, 3, 'OLD', 'playlist', x'0d33')", "PRAGMA user_version = 1" })
                QVERIFY(QSqlQuery(db).exec(sql));
        }
        QSqlDatabase::removeDatabase("v1");
        Service service;
        QVERIFY(service.start({ "--data", path, udp() }));
        QCOMPARE(service.http("GET", "/api/journal").json()["journal"][0].toObject(),
                 json(R"({"id":7,"time":"1970-01-01T00:00:00.000Z","board":3,"text":"OLD","textLength":3,)"
                      R"("source":"playlist","failed":false,"bytes":"\r3","hex":"0d 33","byteLength":2})"));
        QCOMPARE(service.stop(), 0);
    }

    // Whether anything is sent or not, a serial line that goes away ends
    // the service within a second; a frame it refused is journaled so.
    void lineGone_data()
    {
        QTest::addColumn<bool>("sending");
        QTest::newRow("nothing sent") << false;
        QTest::newRow("a frame sent after") << true;
    }
    void lineGone()
    {
        QFETCH(bool, sending);
        PseudoTerminal terminal;
        QVERIFY(terminal.isValid());
        terminal.mapAs(8);
        Service service;
        QVERIFY(service.start({ "--data", store(QString("gone%1.sqlite").arg(sending)), "COM8" }));
        QCOMPARE(service.http("PUT", "/api/boards/1/message", R"({"text":"A"})").status, 200);
        QVERIFY(terminal.read().endsWith("\r1AA\r1D"));
        QElapsedTimer clock;
        clock.start();
        terminal.closeMaster();
        if (sending) {
            QCOMPARE(service.http("PUT", "/api/boards/1/message", R"({"text":"B"})").status, 200);
            QVERIFY(!service.http("GET", "/api/health").json()["open"].toBool());
            const QJsonValue last = service.http("GET", "/api/journal?limit=1").json()["journal"][0];
            QVERIFY(last["text"] == "B" && last["failed"].toBool());
        }
        QVERIFY(service.process.waitForFinished(1000));
        QCOMPARE(service.process.exitCode(), 1);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    }

    // A device server that refuses at the start, accepts, drops the
    // connection in the middle of a long frame and comes back: while it is
    // away health says so and only each board's newest frame waits; back,
    // every board gets its current frame, whole, and nothing else.
    void tcpLineComesBack()
    {
        QTcpServer device;
        QVERIFY(device.listen(QHostAddress::LocalHost));
        const quint16 port = device.serverPort();
        device.close();
        Service service;
        QVERIFY(service.start({ "--data", store("tcp.sqlite"), QString("TCP:127.0.0.1:%1").arg(port) }));
        const auto health = [&service] { return service.http("GET", "/api/health").json(); };
        const auto put = [&service](int board, const QString &text) {
            return service
                    .http("PUT", QString("/api/boards/%1/message").arg(board).toUtf8(),
                          QJsonDocument(QJsonObject { { "text", text } }).toJson())
                    .status;
        };
        const auto connection = [&device, port] {
            if (!device.isListening() && !device.listen(QHostAddress::LocalHost, port))
                return std::unique_ptr<QTcpSocket>();
            device.waitForNewConnection(10000); // the service tries again after 1 s, 2, 4
            return std::unique_ptr<QTcpSocket>(device.nextPendingConnection());
        };
        QVERIFY(!health()["open"].toBool());
        QCOMPARE(put(1, "A"), 200);
        QCOMPARE(put(2, "B"), 200);
        QCOMPARE(put(3, "E"), 200); // unchanged from here on
        const QByteArray board3 = "\r3C0\r3B99\r3AE\r3D"; // boards in ascending order
        std::unique_ptr<QTcpSocket> line = connection();
        QVERIFY(line);
        QCOMPARE(received(*line), "\r1C0\r1B99\r1AA\r1D\r2C0\r2B99\r2AB\r2D" + board3);
        QVERIFY(health()["open"].toBool());

        QCOMPARE(put(1, QString(600, u'x')), 200); // 0.6 s on the wire
        QCOMPARE(put(2, "C"), 200); // waits for it
        QVERIFY(line->waitForReadyRead(2000));
        line->abort();
        device.close();
        QTRY_VERIFY(!health()["open"].toBool());
        for (int i = 0; i < 50; ++i)
            QCOMPARE(put(1, QString("n%1").arg(i)), 200);
        QCOMPARE(health()["bytesWaiting"].toInt(), 0);
        line = connection();
        QVERIFY(line);
        QCOMPARE(received(*line), "\r1C0\r1B99\r1An49\r1D\r2C0\r2B99\r2AC\r2D" + board3);
        QVERIFY(health()["open"].toBool());
        QCOMPARE(service.stop(), 0);
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
    void lengthGivenTwiceHoldsNoBody()
    {
        auto socket = guarded.connection();
        socket->write("PUT /api/boards/1/message HTTP/1.1\r\nContent-Length: 100000000000\r\n"
                      "Content-Length: 21\r\n\r\n");
        const qint64 before = guarded.memory("VmRSS");
        const QByteArray chunk(1 << 20, 'x');
        for (int i = 0; i < 64 && socket->state() == QAbstractSocket::ConnectedState; ++i) {
            socket->write(chunk);
            socket->waitForBytesWritten(1000);
        }
        QVERIFY(socket->readAll().startsWith("HTTP/1.1 400 "));
        QCOMPARE_LT(guarded.memory("VmHWM") - before, 16 * 1024);
    }

    void manners_data()
    {
        QTest::addColumn<QByteArray>("requests");
        QTest::addColumn<QByteArray>("afterFirstHead"); // how the bytes after the first head begin
        QTest::addColumn<QByteArray>("connection"); // the first answer's Connection header
        QTest::addColumn<bool>("open"); // after a second
        const QByteArray get = "GET /api/health HTTP/1.1\r\n\r\n";
        QTest::newRow("HEAD: the head of GET, no body")
                << "HEAD /api/health HTTP/1.1\r\n\r\n" + get << QByteArray("HTTP/1.1 200 ") << QByteArray() << true;
        QTest::newRow("HTTP/1.0 closed after its answer")
                << QByteArray("GET /api/health HTTP/1.0\r\n\r\n") << QByteArray("{") << QByteArray("close") << false;
        QTest::newRow("HTTP/1.0 asking to keep the connection")
                << "GET /api/health HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n" + get << QByteArray("{")
                << QByteArray("keep-alive") << true;
        QTest::newRow("refused after a request taken: answered in their order")
                << get + "GET /x HTTP/1.1\r\nX: 1\r\n 2\r\n\r\n"
                << QByteArray("{") << QByteArray() << false;
    }
    void manners()
    {
        QFETCH(QByteArray, requests);
        QFETCH(QByteArray, afterFirstHead);
        QFETCH(bool, open);
        auto socket = guarded.connection();
        socket->write(requests);
        const QByteArray said = Service::untilClosed(*socket, 1000);
        const qsizetype end = said.indexOf("\r\n\r\n");
        QVERIFY2(said.mid(end + 4).startsWith(afterFirstHead), said.constData());
        static const QRegularExpression header("\r\nConnection: ([^\r]*)");
        QTEST(header.match(QString::fromLatin1(said.left(end))).captured(1).toLatin1(), "connection");
        QCOMPARE(socket->state() == QAbstractSocket::ConnectedState, open);
        // A connection left open still takes the next request; a closed one does not.
        QCOMPARE(said.count("HTTP/1.1 200 "), open ? 2 : 1);
    }

    // 252 clients ask for 100 answers of 35 KB each and never read; one of
    // them reads its answers at 300 KB/s, and one more sends a change a byte a
    // second: both take longer than the idle time and lose nothing, while an
    // idle and a half-sent connection are closed.
    void unreadAnswersHoldBoundedMemory()
    {
        const qint64 before = guarded.memory("VmRSS");
        std::vector<std::unique_ptr<QTcpSocket>> clients;
        for (int i = 0; i < 252; ++i) {
            clients.push_back(guarded.connection(i == 0 ? 30 * 1024 : 4096));
            clients.back()->write(QByteArray("GET /api/boards/8 HTTP/1.1\r\n\r\n").repeated(100));
        }
        auto trickle = guarded.connection(), idle = guarded.connection(), half = guarded.connection();
        half->write("PUT /api/boards/3/message HTTP/1.1\r\nContent-Length: 20\r\n\r\n{\"te");
        const QByteArray change = "{\"text\":\"slow\"}";
        trickle->write("PUT /api/boards/2/message HTTP/1.1\r\nContent-Length: 15\r\n\r\n");
        QTcpSocket &reader = *clients.front();
        QByteArray tail;
        int answers = 0;
        QElapsedTimer timer;
        timer.start();
        for (qint64 sent = 0; timer.elapsed() < 60000 && (answers < 100 || trickle->bytesAvailable() == 0);) {
            QTest::qWait(100);
            if (sent < change.size() && timer.elapsed() >= sent * 1000)
                trickle->write(change.mid(sent++, 1));
            tail += reader.readAll();
            answers += tail.count("HTTP/1.1 200 ");
            tail = tail.right(12);
        }
        QCOMPARE_GE(timer.elapsed(), 10000); // the idle time
        QCOMPARE(answers, 100);
        QVERIFY(trickle->readAll().startsWith("HTTP/1.1 200 "));
        QVERIFY(frames().contains("\r2C0\r2B99\r2Aslow\r2D"));
        // The others are closed after the idle time; the half-sent one is told why.
        clients.back()->setReadBufferSize(0); // so that it reads to the end
        for (QTcpSocket *closed : { half.get(), idle.get(), clients.back().get() })
            QTRY_COMPARE_WITH_TIMEOUT(closed->state(), QAbstractSocket::UnconnectedState, 20000);
        QVERIFY(half->readAll().startsWith("HTTP/1.1 408 "));
        const qint64 grown = guarded.memory("VmHWM") - before;
        qInfo("memory grew by %lld KiB", grown);
        QCOMPARE_LT(grown, 256 * 1024);
    }

    // Every operation openapi.json describes is answered: not an unknown path, not 405.
    void openApiWalked()
    {
        const QJsonObject paths = shared.http("GET", "/api/openapi.json").json()["paths"].toObject();
        QCOMPARE_GT(paths.size(), 20);
        for (auto path = paths.begin(); path != paths.end(); ++path) {
            QByteArray concrete = path.key().toUtf8();
            concrete.replace("{board}", "99").replace("{id}", "1").replace("{group}", "walk").replace("{name}", "walk");
            const QJsonObject operations = path.value().toObject();
            for (auto operation = operations.begin(); operation != operations.end(); ++operation) {
                const QByteArray method = operation.key().toUpper().toUtf8(), name = method + ' ' + concrete;
                if (method == "PARAMETERS")
                    continue;
                Reply reply;
                if (operation.value().toObject()["responses"].toObject().contains("101")) { // a WebSocket
                    const auto socket = shared.connection();
                    socket->write(name
                                  + " HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                                    "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
                    socket->waitForReadyRead(2000);
                    reply.status = socket->readAll().mid(9, 3).toInt();
                } else {
                    reply = shared.http(method, concrete);
                }
                QVERIFY2(reply.status != 405 && reply.status != 0 && !reply.body.contains("no such path"), name);
            }
        }
        frames();
    }
};

QTEST_GUILESS_MAIN(tst_VaroServe)
#include "tst_varoserve.moc"
