#include "PseudoTerminal.h"
#include "common/Windows1252.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <fcntl.h>

using namespace Qt::StringLiterals;
using Frames = QByteArrayList;

// A frame to board 0, Left, brightness 99: the defaults.
static QByteArray plain(const QByteArray &text)
{
    return "\r0C0\r0B99\r0A" + text + "\r0D";
}

// Runs build/VaroSend as a script would: no display, its own settings file.
class tst_VaroSend : public QObject
{
    Q_OBJECT

    QProcess process;

    void start(const QStringList &arguments, const QByteArray &input = {})
    {
        qunsetenv("DISPLAY");
        process.start(u"" VAROSEND ""_s, arguments);
        QVERIFY(process.waitForStarted());
        process.write(input);
        process.closeWriteChannel();
    }

private slots:
    // What a dry run prints: each frame, CR shown as \r, then its bytes.
    void frames_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Frames>("frames");
        QTest::addColumn<QByteArray>("input");
        const auto row = [](const char *name, const QStringList &arguments, const Frames &frames,
                            const QByteArray &input = {}) { QTest::newRow(name) << arguments << frames << input; };

        row("every field reaches the frame", { "-b", "5", "-m", "center", "--bright", "75", "UDP5000", "HELLO" },
            { "\r5C2\r5B75\r5AHELLO\r5D" });
        row("board sent as typed, one-digit brightness padded", { "--board= 007 ", "--bright", "5", " udp 7 ", "x" },
            { "\r007C0\r007B05\r007Ax\r007D" });
        row("empty fields take their defaults", { "-b", "", "--bright", " ", "COM3", "x" }, { plain("x") });
        row("mode keyword in any case, mode index", { "-m", "FAST", "--mode=4", "UDP1", "x" },
            { "\r0C4\r0B99\r0Ax\r0D" });
        row("words joined by a space, ends trimmed, dashes after TRANSPORT", { "UDP1", " -a", "-b", "5 " },
            { plain("-a -b 5") });
        row("line break to space, controls dropped, Windows-1252, one ? else", { "UDP1", u"a\nb\tc\x01€„™Ÿü日😀"_s },
            { plain("a bc\x80\x84\x99\x9F\xFC??") });
        row("stdin: CR LF and LF ends, empty line, no last end", { "-i", "0.001", "UDP1" },
            { plain("one"), plain(""), plain("two!"), plain("three") }, QByteArray("one\r\n\ntwo\x00!\nthree", 18));
        row("dash reads stdin; empty stdin sends nothing", { "UDP1", "-" }, {});
    }

    void frames()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Frames, frames);
        QFETCH(QByteArray, input);

        start(QStringList { "-nx" } + arguments, input);
        QVERIFY(process.waitForFinished());
        QByteArray printed;
        for (const QByteArray &frame : frames)
            printed += Windows1252::toUnicode(frame).replace(u'\r', u"\\r"_s).toUtf8() + '\n'
                    + frame.toHex(' ').toUpper() + '\n';
        QCOMPARE(process.readAllStandardOutput(), printed);
        QCOMPARE(process.readAllStandardError(), QByteArray());
        QCOMPARE(process.exitCode(), 0);
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("firstErrorLine");
        const auto row = [](const char *name, const QStringList &arguments, int exitCode, const QString &line) {
            QTest::newRow(name) << arguments << exitCode << line;
        };

        row("bad board and brightness: board told first", { "-n", "-b", "abc", "--bright=-5", "UDP1", "x" }, 2,
            "INVALID BOARD NUMBER");
        row("32767 zeros are no board", { "-n", "-b", QString(32767, u'0'), "UDP1", "x" }, 2, "INVALID BOARD NUMBER");
        row("bad brightness, stdin lines", { "-n", "--bright", "100", "UDP1" }, 2, "INVALID BRIGHTNESS");
        row("bad mode", { "-n", "-m", "6", "UDP1", "x" }, 2,
            "VaroSend: Unknown mode \"6\": give left, right, center, slow, medium, fast or 0 to 5.");
        row("unknown option", { "-z", "UDP1", "x" }, 2, "VaroSend: Unknown option 'z'.");
        row("bad transport quoted as typed", { "-n", "tcp80", "x" }, 1,
            "The command line argument \"tcp80\"is not recognized");
        const char *missing = "VaroSend: Missing TRANSPORT: give COM# or UDP#.";
        row("missing transport", { "-n" }, 2, missing);
        row("interval over a day", { "-i", "86401", "UDP1" }, 2,
            "VaroSend: Invalid interval \"86401\": give seconds from 0 to 86400, such as 0.5.");
        row("empty TRANSPORT is not COM1", { "-n", " ", "x" }, 2, missing);
        row("serial device missing", { "COM30000", "x" }, 1, "Comm Port \"COM30000\" is not available on this system");
        row("TCP with no port", { "-n", "TCP:host", "x" }, 2, "The command line argument \"TCP:host\" names no port");
        row("TCP with no host", { "-n", "TCP: :1", "x" }, 2, "The command line argument \"TCP: :1\" names no host");
        row("TCP port past 65535", { "-n", "TCP:host:65536", "x" }, 2,
            "The command line argument \"TCP:host:65536\" has a port outside 1 to 65535");
        row("TCP server refuses", { "TCP:127.0.0.1:1", "x" }, 1, "Unable to connect to TCP 127.0.0.1:1");
        row("TCP host does not resolve", { "TCP:no-such-host.invalid:1", "x" }, 1,
            "Unable to connect to TCP no-such-host.invalid:1");
    }

    void failures()
    {
        QFETCH(QStringList, arguments);

        PseudoTerminal::map(30000, "/nonexistent/ttyVaro");
        start(arguments);
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
        QTEST(QString::fromUtf8(process.readAllStandardError()).section(u'\n', 0, 0), "firstErrorLine");
        QTEST(process.exitCode(), "exitCode");
    }

    // Each line of standard input is one frame on one connection, byte for
    // byte, and the connection is closed after the last.
    void tcpLine()
    {
        QTcpServer device;
        QVERIFY(device.listen(QHostAddress::LocalHost));
        start({ "-b", "7", u"tcp:localhost:%1"_s.arg(device.serverPort()) }, "one\ntwo");
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(device.waitForNewConnection(1000));
        QTcpSocket *line = device.nextPendingConnection();
        QByteArray got;
        while (line->waitForReadyRead(1000))
            got += line->readAll();
        QCOMPARE(got, "\r7C0\r7B99\r7Aone\r7D\r7C0\r7B99\r7Atwo\r7D");
        QCOMPARE(line->state(), QAbstractSocket::UnconnectedState);
    }

    // Each frame leaves before the next, a fractional interval apart. The
    // terminal's buffer then filled: the third frame waits its time in the
    // program, and the run fails with what was not taken as that frame's.
    void serialLine()
    {
        PseudoTerminal terminal;
        QVERIFY(terminal.isValid());
        terminal.mapAs(7);
        const int filler = ::open(QFile::encodeName(terminal.slaveName()), O_WRONLY | O_NOCTTY | O_NONBLOCK);
        QVERIFY(filler >= 0);
        const QByteArray message(200000, 'x'); // more than the terminal's buffers hold
        start({ "-i", "1", "COM7" }, message + "\ntwo\nthree");
        QVERIFY2(!process.waitForFinished(500), "ended before the master read the frame");
        const QByteArray first = plain(message);
        QByteArray got;
        for (QByteArray more; got.size() < first.size() && !(more = terminal.read(100, 20000)).isEmpty();)
            got += more;
        QCOMPARE(got, first);
        QElapsedTimer interval;
        interval.start();
        QCOMPARE(terminal.read(100, 5000), plain("two"));
        QVERIFY2(interval.elapsed() > 700 && interval.elapsed() < 2500,
                 qPrintable(QString::number(interval.elapsed())));
        // Kept full while the sender waits: a terminal may make room again
        // after it first refused a byte.
        do {
            while (::write(filler, "full", 4) > 0) { }
        } while (!process.waitForFinished(5));
        ::close(filler);
        QCOMPARE(process.readAllStandardError(),
                 "Unable to send to COM7\nThe line did not take the frames in time\n"
                 "Stopped at line 3 of standard input: lines 1 to 2 were sent.\n");
        QCOMPARE(process.exitCode(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_VaroSend)
#include "tst_varosend.moc"
