#include "NetworkGuard.h"
#include "PseudoTerminal.h"
#include "transport/SerialLink.h"
#include "transport/Transport.h"

#include <QtTest>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <memory>
#include <thread>

class tst_Transport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void serialFrameArrivesWhole();
    void serialOpenFailures_data();
    void serialOpenFailures();
    void portHeldElsewhereCannotBeOpened();
    void removedDeviceReportsTheFailure();
    void releaseWritesWhatIsStillBuffered();
    void udpOneDatagramPerFrame();
    void udpTwoCopiesWithTheSameArgumentBothSend();

private:
    std::unique_ptr<PseudoTerminal> m_pty;
};

static const QByteArray frame("\r5C2\r5B75\r5AHELLO\r5D");

void tst_Transport::init()
{
    QSettings(QStringLiteral("VaroMsgBoard"), QStringLiteral("VaroMsgBoard")).clear();
    m_pty = std::make_unique<PseudoTerminal>();
    QVERIFY(m_pty->isValid());
    m_pty->mapAs(7);
}

void tst_Transport::serialFrameArrivesWhole()
{
    Transport transport;
    QCOMPARE(transport.open(QStringLiteral("COM7")), QString());
    QCOMPARE(transport.mode(), Transport::Serial);

    QCOMPARE(transport.send(frame), QString());
    QCOMPARE(m_pty->read(), frame);
    QCOMPARE(SerialLink::deviceFor(3), QStringLiteral("/dev/ttyS2"));  // not mapped
}

void tst_Transport::serialOpenFailures_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("firstLine");

    QTest::newRow("mapped device missing") << "COM8" << "Comm Port \"COM8\" is not available on this system";
    QTest::newRow("number above 32767") << "COM40000" << "Comm Port \"COM40000\" is not available on this system";
    QTest::newRow("malformed argument") << "tcp80"
            << "The command line argument \"tcp80\"is not recognized";
}

void tst_Transport::serialOpenFailures()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, firstLine);

    QSettings(QStringLiteral("VaroMsgBoard"), QStringLiteral("VaroMsgBoard"))
            .setValue(QStringLiteral("Ports/COM8"), QStringLiteral("/nonexistent/ttyVaro"));
    Transport transport;
    const QStringList lines = transport.open(commandLine).split(u'\r');
    QCOMPARE(lines.first(), firstLine);
    QVERIFY(lines.size() >= 2);
    QVERIFY(!lines.at(1).isEmpty());
    QCOMPARE(transport.mode(), Transport::None);
}

void tst_Transport::portHeldElsewhereCannotBeOpened()
{
    Transport first;
    QCOMPARE(first.open(QStringLiteral("COM7")), QString());

    Transport second;
    const QStringList lines = second.open(QStringLiteral("COM07")).split(u'\r');
    QCOMPARE(lines.first(), QStringLiteral("Comm Port \"COM7\" cannot be opened"));
    QCOMPARE(lines.size(), 2);
    QVERIFY(!lines.at(1).isEmpty());
    QCOMPARE(second.mode(), Transport::None);
}

void tst_Transport::removedDeviceReportsTheFailure()
{
    Transport transport;
    QCOMPARE(transport.open(QStringLiteral("COM7")), QString());
    m_pty->closeMaster();

    for (int press = 0; press < 2; ++press) {
        const QStringList lines = transport.send(frame).split(u'\r');
        QCOMPARE(lines.first(), QStringLiteral("Unable to send to COM7"));
        QCOMPARE(lines.size(), 2);
        QVERIFY(!lines.at(1).isEmpty());
    }
}

void tst_Transport::releaseWritesWhatIsStillBuffered()
{
    // Far more than a terminal's buffer takes at once: most of it is still
    // queued in the program when the transport is released.
    const QByteArray big = "\r1C0\r1B99\r1A" + QByteArray(256 * 1024, 'x') + "\r1D";
    auto transport = std::make_unique<Transport>();
    QCOMPARE(transport->open(QStringLiteral("COM7")), QString());
    QCOMPARE(transport->send(big), QString());

    QByteArray received;
    std::thread reader([&] { received = m_pty->read(1000); });
    transport.reset();
    reader.join();
    QCOMPARE(received.size(), big.size());
    QCOMPARE(received, big);
}

void tst_Transport::udpOneDatagramPerFrame()
{
    REQUIRE_PRIVATE_NETWORK();
    QUdpSocket board;
    QVERIFY(board.bind(QHostAddress::AnyIPv4, 0));

    Transport transport;
    QCOMPARE(transport.open(QStringLiteral("udp%1").arg(board.localPort())), QString());
    QCOMPARE(transport.mode(), Transport::Udp);
    QCOMPARE(transport.send(frame), QString());

    QVERIFY(board.waitForReadyRead(2000));
    QCOMPARE(board.receiveDatagram().data(), frame);
    QVERIFY(!board.waitForReadyRead(300));
}

void tst_Transport::udpTwoCopiesWithTheSameArgumentBothSend()
{
    REQUIRE_PRIVATE_NETWORK();
    QUdpSocket board;
    QVERIFY(board.bind(QHostAddress::AnyIPv4, 0));
    const QString argument = QStringLiteral("UDP%1").arg(board.localPort());

    Transport first;
    Transport second;
    QCOMPARE(first.open(argument), QString());
    QCOMPARE(second.open(argument), QString());
    QCOMPARE(first.send("one"), QString());
    QCOMPARE(second.send("two"), QString());

    QStringList received;
    while (received.size() < 2 && board.waitForReadyRead(2000))
        received << QString::fromLatin1(board.receiveDatagram().data());
    QCOMPARE(received, QStringList({ "one", "two" }));
}

QTEST_GUILESS_MAIN(tst_Transport)
#include "tst_transport.moc"
