#include "NetworkGuard.h"
#include "PseudoTerminal.h"
#include "rules/PortSettings.h"
#include "transport/Transport.h"

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

#include <fcntl.h>
#include <termios.h>
#include <thread>

Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(Outcome::Kind)

// The output channel: the bytes and line settings on a serial line, what
// happens when the line stalls or goes away, and the UDP datagrams.
class tst_Transport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void serialFrameAndLineSettings();
    void openFailures_data();
    void openFailures();
    void stalledLine_data();
    void stalledLine();
    void removedDeviceIsReportedOnce();
    void udpBroadcastOneDatagramPerFrame();

private:
    Outcome openSerial(Transport &transport) { return transport.open(QStringLiteral("COM7"), PortSettings::mapped); }
    std::unique_ptr<PseudoTerminal> m_pty;
};

static const QByteArray frame("\r5C2\r5B75\r5AHELLO\r5D");

static QByteArray numberedFrame(int n, int length)
{
    const QByteArray head = "\r1C0\r1B99\r1A" + QByteArray::number(n) + ':';
    return head + QByteArray(length - head.size() - 3, 'x') + "\r1D";
}

void tst_Transport::init()
{
    QSettings(QStringLiteral("VaroMsgBoard"), QStringLiteral("VaroMsgBoard")).clear();
    m_pty = std::make_unique<PseudoTerminal>();
    QVERIFY(m_pty->isValid());
    m_pty->mapAs(7);
}

void tst_Transport::serialFrameAndLineSettings()
{
    // Opened before the program takes the port for itself alone.
    const int fd = ::open(QFile::encodeName(m_pty->slaveName()), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    Transport transport;
    QVERIFY(openSerial(transport).ok());
    QVERIFY(transport.send(frame).ok());
    QCOMPARE(m_pty->read(), frame);

    termios line {};
    QCOMPARE(::tcgetattr(fd, &line), 0);
    ::close(fd);
    QCOMPARE(cfgetospeed(&line), speed_t(B9600));
    QCOMPARE(line.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(line.c_cflag & (PARENB | CSTOPB), tcflag_t(0));
}

void tst_Transport::openFailures_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<Outcome::Kind>("kind");
    QTest::addColumn<int>("port");

    QTest::newRow("mapped device missing") << "COM8" << Outcome::PortNotAvailable << 8;
    QTest::newRow("held by another copy, leading zero") << "COM07" << Outcome::PortCannotOpen << 7;
    QTest::newRow("not recognized keeps the text as typed") << " tcp80" << Outcome::ArgumentNotRecognized << 0;
}

void tst_Transport::openFailures()
{
    QFETCH(QString, commandLine);
    QFETCH(Outcome::Kind, kind);

    QSettings(QStringLiteral("VaroMsgBoard"), QStringLiteral("VaroMsgBoard"))
            .setValue(QStringLiteral("Ports/COM8"), QStringLiteral("/nonexistent/ttyVaro"));
    Transport holder;
    QVERIFY(openSerial(holder).ok());
    Transport transport;
    const Outcome outcome = transport.open(commandLine, PortSettings::mapped);
    QCOMPARE(outcome.kind, kind);
    QTEST(outcome.port, "port");
    QCOMPARE(outcome.description.isEmpty(), kind == Outcome::ArgumentNotRecognized);
    QCOMPARE(transport.mode(), CommMode::None);
}

// The far end does not read. Frames within the queue go out whole and in
// order once it reads, also when the transport is released first; a frame
// beyond it is refused whole and never goes out later, alone or glued to
// another.
void tst_Transport::stalledLine_data()
{
    QTest::addColumn<int>("frameLength");
    QTest::addColumn<int>("presses");
    QTest::addColumn<bool>("someRefused");
    QTest::addColumn<bool>("givenUp");

    QTest::newRow("80-character messages, Enter held for 260 frames") << 92 << 260 << false << false;
    QTest::newRow("frames of 20 KiB beyond the queue") << 20 * 1024 << 12 << true << false;
    QTest::newRow("given up: what was dropped never goes out") << 20 * 1024 << 12 << true << true;
}

void tst_Transport::stalledLine()
{
    QFETCH(int, frameLength);
    QFETCH(int, presses);
    QFETCH(bool, someRefused);
    QFETCH(bool, givenUp);

    auto transport = std::make_unique<Transport>();
    QVERIFY(openSerial(*transport).ok());
    QByteArray accepted;
    int refused = 0;
    for (int n = 0; n < presses; ++n) {
        const QByteArray next = numberedFrame(n, frameLength);
        const Outcome outcome = transport->send(next);
        QCoreApplication::processEvents();
        if (outcome.ok()) {
            accepted += next;
        } else {
            ++refused;
            QCOMPARE(outcome.kind, Outcome::SendFailed);
            QCOMPARE(outcome.unsent, 0);
        }
    }
    QCOMPARE(refused > 0, someRefused);
    if (givenUp) {
        const Outcome drained = transport->drain(200);
        QCOMPARE(drained.kind, Outcome::SendFailed);
        QVERIFY(drained.unsent > 0);
        accepted.chop(drained.unsent);
    }
    QByteArray received;
    std::thread reader([&] { received = m_pty->read(1000); });
    transport.reset();
    reader.join();
    QCOMPARE(received.size(), accepted.size());
    QCOMPARE(received, accepted);
}

void tst_Transport::removedDeviceIsReportedOnce()
{
    Transport transport;
    QVERIFY(openSerial(transport).ok());
    QSignalSpy lost(&transport, &Transport::lost);
    QVERIFY(lost.isValid());
    // Fill the line so that bytes wait in the program, then pull the device.
    int queued = 0;
    while (queued < 100 && transport.send(numberedFrame(queued, 4096)).ok())
        ++queued;
    QCoreApplication::processEvents();
    m_pty->closeMaster();
    QTRY_COMPARE(lost.size(), 1);
    QVERIFY(lost.first().first().value<Outcome>().unsent > 0);
    const Outcome later = transport.send(frame);
    QCOMPARE(later.kind, Outcome::SendFailed);
    QCOMPARE(later.unsent, 0);
    QCOMPARE(lost.size(), 1);
}

void tst_Transport::udpBroadcastOneDatagramPerFrame()
{
    REQUIRE_PRIVATE_NETWORK();
    QUdpSocket board;
    QVERIFY(board.bind(QHostAddress::AnyIPv4, 0, QUdpSocket::ShareAddress));
    const QString argument = QStringLiteral("udp%1").arg(board.localPort());
    Transport first;
    Transport second; // a second copy with the same argument
    QVERIFY(first.open(argument, {}).ok());
    QVERIFY(second.open(argument, {}).ok());
    QVERIFY(first.send(frame).ok());
    const Outcome refused = first.send(QByteArray(70000, 'x')); // larger than any datagram
    QCOMPARE(refused.kind, Outcome::SendFailed);
    QCOMPARE(refused.port, int(board.localPort()));
    QVERIFY(first.send("two").ok()); // and the transport goes on
    QVERIFY(second.send("copy").ok());

    QByteArrayList received;
    QHostAddress destination;
    while (received.size() < 4 && board.waitForReadyRead(500)) {
        const QNetworkDatagram datagram = board.receiveDatagram();
        received << datagram.data();
        destination = datagram.destinationAddress();
    }
    QCOMPARE(received, (QByteArrayList { frame, "two", "copy" }));
    QCOMPARE(destination, QHostAddress(QHostAddress::Broadcast));
}

QTEST_GUILESS_MAIN(tst_Transport)
#include "tst_transport.moc"
