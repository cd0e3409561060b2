#include "PseudoTerminal.h"
#include "common/Windows1252.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QTest>

#include <fcntl.h>

using namespace Qt::StringLiterals;
using Frames = QByteArrayList;

// Runs build/VaroSend as a script would: no display, its own settings file.
class tst_VaroSend : public QObject
{
    Q_OBJECT

    QProcess process;

    void start(const QStringList &arguments, const QByteArray &input = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"DISPLAY"_s);
        process.setProcessEnvironment(environment);
        process.start(u"" VAROSEND ""_s, arguments);
        QVERIFY(process.waitForStarted());
        process.write(input);
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished());
    }

private slots:
    // What a dry run prints: each frame, CR shown as \r, then its bytes.
    void frames_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<Frames>("frames");

        QTest::newRow("every field reaches the frame")
                << QStringList { "-b", "5", "-m", "center", "--bright", "75", "UDP5000", "HELLO" } << QByteArray()
                << Frames { "\r5C2\r5B75\r5AHELLO\r5D" };
        QTest::newRow("board sent as typed, one-digit brightness padded")
                << QStringList { "--board= 007 ", "--bright", "5", " udp 7 ", "x" } << QByteArray()
                << Frames { "\r007C0\r007B05\r007Ax\r007D" };
        QTest::newRow("empty fields take their defaults") << QStringList { "-b", "", "--bright", " ", "COM3", "x" }
                                                          << QByteArray() << Frames { "\r0C0\r0B99\r0Ax\r0D" };
        QTest::newRow("mode keyword in any case, mode index") << QStringList { "-m", "FAST", "--mode=4", "UDP1", "x" }
                                                              << QByteArray() << Frames { "\r0C4\r0B99\r0Ax\r0D" };
        QTest::newRow("words joined by a space, ends trimmed, dashes after TRANSPORT")
                << QStringList { "UDP1", " -a", "-b", "5 " } << QByteArray() << Frames { "\r0C0\r0B99\r0A-a -b 5\r0D" };
        QTest::newRow("line break to space, controls dropped, Windows-1252, one ? else")
                << QStringList { "UDP1", u"a\nb\tc\x01€„™Ÿü日😀"_s } << QByteArray()
                << Frames { "\r0C0\r0B99\r0Aa bc\x80\x84\x99\x9F\xFC??\r0D" };
        QTest::newRow("stdin: CR LF and LF ends, empty line, no last end")
                << QStringList { "-i", "0.001", "UDP1" } << QByteArray("one\r\n\ntwo\x00!\nthree", 18)
                << Frames { "\r0C0\r0B99\r0Aone\r0D", "\r0C0\r0B99\r0A\r0D", "\r0C0\r0B99\r0Atwo!\r0D",
                            "\r0C0\r0B99\r0Athree\r0D" };
        QTest::newRow("dash reads stdin; empty stdin sends nothing")
                << QStringList { "UDP1", "-" } << QByteArray() << Frames {};
    }

    void frames()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(Frames, frames);

        start(QStringList { "-nx" } + arguments, input);
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

        QTest::newRow("bad board and brightness: board told first")
                << QStringList { "-n", "-b", "abc", "--bright=-5", "UDP1", "x" } << 2 << "INVALID BOARD NUMBER";
        QTest::newRow("32767 zeros are no board")
                << QStringList { "-n", "-b", QString(32767, u'0'), "UDP1", "x" } << 2 << "INVALID BOARD NUMBER";
        QTest::newRow("bad brightness, stdin lines")
                << QStringList { "-n", "--bright", "100", "UDP1" } << 2 << "INVALID BRIGHTNESS";
        QTest::newRow("bad mode") << QStringList {
            "-n", "-m", "6", "UDP1", "x"
        } << 2 << "VaroSend: Unknown mode \"6\": give left, right, center, slow, medium, fast or 0 to 5.";
        QTest::newRow("unknown option") << QStringList { "-z", "UDP1", "x" } << 2 << "VaroSend: Unknown option 'z'.";
        QTest::newRow("bad transport quoted as typed")
                << QStringList { "-n", "tcp80", "x" } << 1 << "The command line argument \"tcp80\"is not recognized";
        QTest::newRow("missing transport")
                << QStringList { "-n" } << 2 << "VaroSend: Missing TRANSPORT: give COM# or UDP#.";
        QTest::newRow("interval over a day")
                << QStringList { "-i", "86401", "UDP1" } << 2
                << "VaroSend: Invalid interval \"86401\": give seconds from 0 to 86400, such as 0.5.";
        QTest::newRow("empty TRANSPORT is not COM1")
                << QStringList { "-n", " ", "x" } << 2 << "VaroSend: Missing TRANSPORT: give COM# or UDP#.";
        QTest::newRow("serial device missing")
                << QStringList { "COM30000", "x" } << 1 << "Comm Port \"COM30000\" is not available on this system";
    }

    void failures()
    {
        QFETCH(QStringList, arguments);

        QSettings(u"VaroMsgBoard"_s, u"VaroMsgBoard"_s).setValue(u"Ports/COM30000"_s, u"/nonexistent/ttyVaro"_s);
        start(arguments);
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
        QTEST(QString::fromUtf8(process.readAllStandardError()).section(u'\n', 0, 0), "firstErrorLine");
        QTEST(process.exitCode(), "exitCode");
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
        process.start(u"" VAROSEND ""_s, { "-i", "0.4", "COM7" });
        process.write(message + "\ntwo\nthree");
        process.closeWriteChannel();
        QVERIFY2(!process.waitForFinished(500), "ended before the master read the frame");
        const QByteArray first = "\r0C0\r0B99\r0A" + message + "\r0D";
        QByteArray got;
        for (QByteArray more; got.size() < first.size() && !(more = terminal.read(100, 20000)).isEmpty();)
            got += more;
        QCOMPARE(got, first);
        QElapsedTimer interval;
        interval.start();
        QCOMPARE(terminal.read(100, 2000), "\r0C0\r0B99\r0Atwo\r0D");
        QVERIFY2(interval.elapsed() > 200 && interval.elapsed() < 900, qPrintable(QString::number(interval.elapsed())));
        while (::write(filler, "full", 4) > 0) { }
        QVERIFY(process.waitForFinished());
        ::close(filler);
        QCOMPARE(process.readAllStandardError(),
                 "Unable to send to COM7\nThe line did not take the frames in time\n"
                 "Stopped at line 3 of standard input: lines 1 to 2 were sent.\n");
        QCOMPARE(process.exitCode(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_VaroSend)
#include "tst_varosend.moc"
