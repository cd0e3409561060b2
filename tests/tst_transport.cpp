#include "NetworkGuard.h"
#include "PseudoTerminal.h"
#include "rules/MessageText.h"
#include "rules/PortSettings.h"
#include "transport/Transport.h"

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

#include <thread>

using namespace Qt::StringLiterals;
Q_DECLARE_METATYPE(Outcome)

static const QByteArray frame("\r5C2\r5B75\r5AHELLO\r5D");

static QByteArray numberedFrame(int n, int length)
{
    const QByteArray head = "\r1C0\r1B99\r1A" + QByteArray::number(n) + ':';
    return head + QByteArray(length - head.size() - 3, 'x') + "\r1D";
}

// The output channel: how a port fails to open, what happens when a serial
// line stalls or goes away, and the UDP datagrams. The line settings are
// checked by the virtual board's test, at the far end.
class tst_Transport : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QSettings("VaroMsgBoard", "VaroMsgBoard").clear();
        m_pty = std::make_unique<PseudoTerminal>();
        QVERIFY(m_pty->isValid());
        m_pty->mapAs(7);
    }

    // The operator's words for each way the port cannot be had, reached by the
    // real paths: a terminal held open, a number past the highest.
    void openFailures_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("text"); // then the system's reason, if it ends in CR

        QTest::newRow("held by another copy, leading zero") << "COM07"
                                                            << "Comm Port \"COM7\" cannot be opened\r";
        QTest::newRow("COM32767 is the highest port") << "COM32767"
                                                      << "";
        QTest::newRow("COM32768 is none")
                << "COM32768"
                << "Comm Port \"COM32768\" is not available on this system\rInvalid port number";
        QTest::newRow("TCP server refuses") << "TCP:127.0.0.1:1"
                                            << "Unable to connect to TCP 127.0.0.1:1\rConnection refused";
    }

    void openFailures()
    {
        QFETCH(QString, commandLine);
        QFETCH(QString, text);

        PseudoTerminal spare;
        spare.mapAs(32767);
        spare.mapAs(32768);
        Transport holder;
        QVERIFY(openSerial(holder).ok());
        Transport transport;
        const QString shown = MessageText::of(transport.open(commandLine, PortSettings::mapped));
        QCOMPARE(shown.left(text.size()), text);
        QCOMPARE(shown.size() > text.size(), text.endsWith(u'\r'));
        QCOMPARE(transport.mode(), text.isEmpty() ? CommMode::Serial : CommMode::None);
    }

    // The far end does not read. A full line is no line gone: frames within
    // the queue go out whole and in order once it reads, also when the
    // transport is released first; a frame beyond it is refused whole. A line
    // given up keeps nothing: what was reported undelivered, and what is sent
    // after, never goes out. A line pulled away is told once, with its loss.
    void stalledLine_data()
    {
        QTest::addColumn<int>("frameLength");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QString>("end");

        QTest::newRow("80-character messages, Enter held for 260 frames") << 92 << 260 << "read";
        QTest::newRow("frames of 20 KiB beyond the queue") << 20 * 1024 << 12 << "read";
        QTest::newRow("given up: what was dropped never goes out") << 20 * 1024 << 12 << "given up";
        QTest::newRow("device pulled: told once, with the bytes lost") << 20 * 1024 << 12 << "pulled";
    }

    void stalledLine()
    {
        QFETCH(int, frameLength);
        QFETCH(int, presses);
        QFETCH(QString, end);

        auto transport = std::make_unique<Transport>();
        QVERIFY(openSerial(*transport).ok());
        QSignalSpy lost(transport.get(), &Transport::lost);
        QVERIFY(lost.isValid());
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
        QTest::qWait(200); // the port keeps trying the full line
        QCOMPARE(lost.size(), 0);
        QCOMPARE(refused > 0, frameLength > 4096);
        if (end == u"pulled") {
            m_pty->closeMaster();
            QTRY_COMPARE(lost.size(), 1);
            const Outcome dropped = lost.first().first().value<Outcome>();
            QVERIFY(dropped.unsent > 0);
            QCOMPARE(MessageText::of(dropped).section(u'\r', 2),
                     u"%1 bytes sent before were not delivered"_s.arg(dropped.unsent));
        } else if (end == u"given up") {
            const Outcome drained = transport->drain(200);
            QCOMPARE(drained.kind, Outcome::SendFailed);
            QVERIFY(drained.unsent > 0);
            accepted.chop(drained.unsent);
        }
        if (end != u"read") {
            const Outcome later = transport->send(frame);
            QCOMPARE(later.kind, Outcome::SendFailed);
            QCOMPARE(later.unsent, 0);
            QCOMPARE(lost.size(), int(end == u"pulled"));
        }
        if (end == u"pulled")
            return;
        QByteArray received;
        std::thread reader([&] { received = m_pty->read(1000); });
        QTest::qWait(500);
        transport.reset();
        reader.join();
        QCOMPARE(received, accepted);
    }

    // Each copy sends without holding the port; a frame too large for a
    // datagram is refused and the transport goes on.
    void udpBroadcastOneDatagramPerFrame()
    {
        REQUIRE_PRIVATE_NETWORK();
        QUdpSocket board;
        QVERIFY(board.bind(QHostAddress::AnyIPv4, 0));
        const QString argument = u"udp%1"_s.arg(board.localPort());
        Transport first, second;
        QVERIFY(first.open(argument, {}).ok() && second.open(argument, {}).ok());
        const Outcome refused = first.send(QByteArray(70000, 'x'));
        QCOMPARE(MessageText::of(refused).section(u'\r', 0, 0), u"Unable to send to UDP port "_s + argument.mid(3));
        QVERIFY(first.send(frame).ok() && second.send("copy").ok());
        QByteArrayList received;
        QNetworkDatagram datagram;
        while ((board.hasPendingDatagrams() || board.waitForReadyRead(500))
               && (datagram = board.receiveDatagram()).isValid())
            received << datagram.data();
        QCOMPARE(received, (QByteArrayList { frame, "copy" }));
        QCOMPARE(datagram.destinationAddress(), QHostAddress(QHostAddress::Broadcast));
    }

private:
    Outcome openSerial(Transport &transport) { return transport.open("COM7", PortSettings::mapped); }
    std::unique_ptr<PseudoTerminal> m_pty;
};

QTEST_GUILESS_MAIN(tst_Transport)
#include "tst_transport.moc"
