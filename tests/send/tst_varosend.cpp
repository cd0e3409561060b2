#include "NetworkGuard.h"
#include "PseudoTerminal.h"

#include <QNetworkDatagram>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <QUdpSocket>

using Frames = QByteArrayList;

// Runs build/VaroSend as a script would: no display, its own settings file.
class tst_VaroSend : public QObject
{
    Q_OBJECT

    QProcess process;

    void start(const QStringList &arguments, const QByteArray &input = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VAROSEND), arguments);
        QVERIFY(process.waitForStarted());
        process.write(input);
        process.closeWriteChannel();
    }
    QString firstErrorLine() { return QString::fromUtf8(process.readAllStandardError()).section(u'\n', 0, 0); }

private slots:
    void arguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("firstErrorLine");
        QTest::addColumn<Frames>("frames");
        const QString notNumber = QStringLiteral("Please enter a decimal number between 0 and 99");
        QTest::newRow("every field reaches the frame")
                << QStringList { "-nx", "-b", "5", "-m", "center", "--bright", "75", "UDP5000", "HELLO" }
                << QByteArray() << 0 << "" << Frames { "\r5C2\r5B75\r5AHELLO\r5D" };
        QTest::newRow("board sent as typed, one-digit brightness padded")
                << QStringList { "-nx", "--board= 007 ", "--bright", "5", " udp 7 ", "x" } << QByteArray() << 0 << ""
                << Frames { "\r007C0\r007B05\r007Ax\r007D" };
        QTest::newRow("empty fields take their defaults")
                << QStringList { "-nx", "-b", "", "--bright", " ", "COM3", "x" } << QByteArray() << 0 << ""
                << Frames { "\r0C0\r0B99\r0Ax\r0D" };
        QTest::newRow("mode keyword in any case, mode index")
                << QStringList { "-nx", "-m", "FAST", "--mode=4", "UDP1", "x" } << QByteArray() << 0 << ""
                << Frames { "\r0C4\r0B99\r0Ax\r0D" };
        QTest::newRow("words joined by one space, ends trimmed, dashes after TRANSPORT are words")
                << QStringList { "-nx", "UDP1", " -a", "-b", "5 " } << QByteArray() << 0 << ""
                << Frames { "\r0C0\r0B99\r0A-a -b 5\r0D" };
        QTest::newRow("line break to space, controls dropped, outside 1252 to ?")
                << QStringList { "-nx", "UDP1", "a\nb\tc\x01\xC3\xA9\xE2\x9C\x93" } << QByteArray() << 0 << ""
                << Frames { "\r0C0\r0B99\r0Aa bc\xE9?\r0D" };
        QTest::newRow("stdin: CR LF and LF ends, empty line, no last end")
                << QStringList { "-nx", "-i", "0.001", "UDP1" } << QByteArray("one\r\n\ntwo\x00!\nthree", 18) << 0 << ""
                << Frames { "\r0C0\r0B99\r0Aone\r0D", "\r0C0\r0B99\r0A\r0D", "\r0C0\r0B99\r0Atwo!\r0D",
                            "\r0C0\r0B99\r0Athree\r0D" };
        QTest::newRow("dash reads stdin; empty stdin sends nothing")
                << QStringList { "-nx", "UDP1", "-" } << QByteArray() << 0 << "" << Frames {};
        QTest::newRow("bad board") << QStringList { "-nx", "-b", "abc", "UDP1", "x" } << QByteArray() << 2
                                   << "INVALID BOARD NUMBER" << Frames {};
        QTest::newRow("bad brightness with stdin lines") << QStringList { "-nx", "--bright", "100", "UDP1" }
                                                         << QByteArray("x\n") << 2 << "INVALID BRIGHTNESS" << Frames {};
        QTest::newRow("bad mode")
                << QStringList { "-nx", "-m", "6", "UDP1", "x" } << QByteArray() << 2
                << "VaroSend: Unknown mode \"6\": give left, right, center, slow, medium, fast or 0 to 5." << Frames {};
        QTest::newRow("unknown option") << QStringList { "-nx", "-z", "UDP1", "x" } << QByteArray() << 2
                                        << "VaroSend: Unknown option 'z'." << Frames {};
        QTest::newRow("bad transport quoted as typed")
                << QStringList { "-nx", "tcp80", "x" } << QByteArray() << 1
                << "The command line argument \"tcp80\"is not recognized" << Frames {};
        QTest::newRow("missing transport") << QStringList { "-nx" } << QByteArray() << 2
                                           << "VaroSend: Missing TRANSPORT: give COM# or UDP#." << Frames {};
        QTest::newRow("interval over a day")
                << QStringList { "-nx", "-i", "86401", "UDP1" } << QByteArray() << 2
                << "VaroSend: Invalid interval \"86401\": give seconds from 0 to 86400, such as 0.5." << Frames {};
        QTest::newRow("empty TRANSPORT is not COM1") << QStringList { "-n", " ", "x" } << QByteArray() << 2
                                                     << "VaroSend: Missing TRANSPORT: give COM# or UDP#." << Frames {};
        QTest::newRow("serial device missing") << QStringList { "COM30000" } << QByteArray("x") << 1
                                               << "Comm Port \"COM30000\" is not available on this system" << Frames {};
    }
    void arguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(Frames, frames);
        QSettings(QStringLiteral("VaroMsgBoard"), QStringLiteral("VaroMsgBoard"))
                .setValue(QStringLiteral("Ports/COM30000"), QStringLiteral("/nonexistent/ttyVaro"));
        start(arguments, input);
        QVERIFY(process.waitForFinished());
        QByteArray printed;
        for (const QByteArray &frame : frames)
            printed += QString::fromLatin1(frame).replace(u'\r', QLatin1String("\\r")).toUtf8() + '\n'
                    + frame.toHex(' ').toUpper() + '\n';
        QCOMPARE(process.readAllStandardOutput(), printed);
        QTEST(firstErrorLine(), "firstErrorLine");
        QTEST(process.exitCode(), "exitCode");
    }

    void serialBytesBeforeExit()
    {
        PseudoTerminal terminal;
        QVERIFY(terminal.isValid());
        terminal.mapAs(7);
        const QByteArray message(200000, 'x'); // more than the terminal's buffers hold
        start({ "COM7" }, message);
        QVERIFY2(!process.waitForFinished(500), "ended before the master read the frame");
        QCOMPARE(terminal.read(), "\r0C0\r0B99\r0A" + message + "\r0D");
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 0);
    }

    void udpDatagramPerLine()
    {
        REQUIRE_PRIVATE_NETWORK();
        QUdpSocket socket;
        QVERIFY(socket.bind(QHostAddress::AnyIPv4, 47001, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
        start({ "-b", "2", "UDP47001" }, "one\r\ntwo\nthree");
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 0);
        Frames received;
        while (socket.hasPendingDatagrams() || socket.waitForReadyRead(500))
            received << socket.receiveDatagram().data();
        QCOMPARE(received, (Frames { "\r2C0\r2B99\r2Aone\r2D", "\r2C0\r2B99\r2Atwo\r2D", "\r2C0\r2B99\r2Athree\r2D" }));
    }
};

QTEST_GUILESS_MAIN(tst_VaroSend)
#include "tst_varosend.moc"
