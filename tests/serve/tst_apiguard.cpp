#include "NetworkGuard.h"
#include "serve/ServeProcess.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <memory>
#include <vector>

// What one client can do to the service over HTTP: requests framed two
// ways, answers never read, requests sent or read a byte at a time. Memory
// is read from /proc while the service runs.
static constexpr int ConnectionGuardIdleMs = 10000;

class tst_ApiGuard : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;
    QUdpSocket line;
    Service service;

    std::unique_ptr<QTcpSocket> connection(int receiveBuffer = 0)
    {
        auto socket = std::make_unique<QTcpSocket>();
        if (receiveBuffer > 0) { // so that it reads only when told to
            socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, receiveBuffer);
            socket->setReadBufferSize(receiveBuffer);
        }
        socket->connectToHost(QHostAddress::LocalHost, service.port);
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

private slots:
    void initTestCase()
    {
        REQUIRE_PRIVATE_NETWORK();
        QVERIFY(folder.isValid());
        QVERIFY(line.bind(QHostAddress::AnyIPv4, 0));
        // The sanitizer's quarantine of freed memory is not the service's.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":quarantine_size_mb=16");
        service.process.setProcessEnvironment(environment);
        QVERIFY(service.start({ "--data", folder.filePath("store.sqlite"), QString("UDP%1").arg(line.localPort()) }));
        // A board whose answer is 35 KB.
        const QJsonArray items { QJsonObject { { "text", QString(10000, 'x') } } };
        QCOMPARE(service.http("PUT", "/api/boards/8/playlist", QJsonDocument(items).toJson()).status, 200);
        while (line.waitForReadyRead(200))
            line.receiveDatagram();
    }

    void lengthGivenTwiceHoldsNoBody()
    {
        auto socket = connection();
        socket->write("PUT /api/boards/1/message HTTP/1.1\r\nContent-Length: 100000000000\r\n"
                      "Content-Length: 21\r\n\r\n");
        const qint64 before = service.memory("VmRSS");
        const QByteArray chunk(1 << 20, 'x');
        for (int i = 0; i < 64 && socket->state() == QAbstractSocket::ConnectedState; ++i) {
            socket->write(chunk);
            socket->waitForBytesWritten(1000);
        }
        QVERIFY(socket->readAll().startsWith("HTTP/1.1 400 "));
        QCOMPARE_LT(service.memory("VmHWM") - before, 16 * 1024);
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
        QTest::newRow("HTTP/1.1 asking to close") << "GET /api/health HTTP/1.1\r\nConnection: close\r\n\r\n" + get
                                                  << QByteArray("{") << QByteArray("close") << false;
    }
    void manners()
    {
        QFETCH(QByteArray, requests);
        QFETCH(QByteArray, afterFirstHead);
        QFETCH(bool, open);
        auto socket = connection();
        socket->write(requests);
        const QByteArray said = untilClosed(*socket, 1000);
        const qsizetype end = said.indexOf("\r\n\r\n");
        QVERIFY2(said.mid(end + 4).startsWith(afterFirstHead), said.constData());
        static const QRegularExpression connection("\r\nConnection: ([^\r]*)");
        QTEST(connection.match(QString::fromLatin1(said.left(end))).captured(1).toLatin1(), "connection");
        QCOMPARE(socket->state() == QAbstractSocket::ConnectedState, open);
        // A connection left open still takes the next request; a closed one does not.
        QCOMPARE(said.count("HTTP/1.1 200 "), open ? 2 : 1);
    }

    // 254 clients ask for 100 answers of 35 KB each and never read; one of
    // them reads its answers at 300 KB/s, and one more sends a change a byte a
    // second: both take longer than the idle time and lose nothing.
    void unreadAnswersHoldBoundedMemory()
    {
        const qint64 before = service.memory("VmRSS");
        std::vector<std::unique_ptr<QTcpSocket>> clients;
        for (int i = 0; i < 254; ++i) {
            clients.push_back(connection(i == 0 ? 30 * 1024 : 4096));
            clients.back()->write(QByteArray("GET /api/boards/8 HTTP/1.1\r\n\r\n").repeated(100));
        }
        auto trickle = connection();
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
        QCOMPARE_GE(timer.elapsed(), ConnectionGuardIdleMs);
        QCOMPARE(answers, 100);
        QVERIFY(trickle->readAll().startsWith("HTTP/1.1 200 "));
        QVERIFY(line.waitForReadyRead(1000));
        QCOMPARE(line.receiveDatagram().data(), "\r2C0\r2B99\r2Aslow\r2D");
        const qint64 grown = service.memory("VmHWM") - before;
        qInfo("memory grew by %lld KiB", grown);
        QCOMPARE_LT(grown, 256 * 1024);
    }
};

QTEST_GUILESS_MAIN(tst_ApiGuard)
#include "tst_apiguard.moc"
