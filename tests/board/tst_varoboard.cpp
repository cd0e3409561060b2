#include "NetworkGuard.h"
#include "face/LedMatrix.h"
#include "protocol/BoardFrame.h"
#include "rules/PortSettings.h"
#include "transport/Transport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QtTest>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

// The log and the picture need no display: run them the way a script on a server would.
void startBoard(QProcess &board, const QStringList &arguments)
{
    qunsetenv("DISPLAY");
    qunsetenv("QT_QPA_PLATFORM");
    board.start(QStringLiteral(VAROBOARD_PATH), arguments);
}

QString readLine(QProcess &board)
{
    QDeadlineTimer deadline(10000);
    while (!board.canReadLine() && !deadline.hasExpired())
        board.waitForReadyRead(100);
    return QString::fromUtf8(board.canReadLine() ? board.readLine() : QByteArray()).trimmed();
}

QJsonObject readJson(QProcess &board)
{
    return QJsonDocument::fromJson(readLine(board).toUtf8()).object();
}

// The sender maps COM7 to the board's terminal, as a user would under [Ports].
bool openSenderOnPty(QProcess &board, Transport &sender)
{
    QSettings settings(u"VaroMsgBoard"_s, u"VaroMsgBoard"_s);
    settings.setValue(u"Ports/COM7"_s, readLine(board));
    settings.sync();
    return sender.open(u"COM7"_s, PortSettings::mapped).ok();
}

} // namespace

class tst_VaroBoard : public QObject
{
    Q_OBJECT

private slots:
    void typedFieldsArrive_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("board");
        QTest::addColumn<int>("present");
        QTest::addColumn<QString>("bright");
        QTest::addColumn<QString>("message");

        QTest::newRow("udp with spaces: 007, crawl, accents and euro") << " udp 47012 "
                                                                       << "007" << 5 << "5" << u"Grüße, 5 €"_s;
        QTest::newRow("TCP port only, the loopback, after logged errors") << " tcp:47013 "
                                                                          << "3" << 4 << "50"
                                                                          << "over TCP";
        QTest::newRow("PTY through [Ports], after logged errors") << "PTY"
                                                                  << "12" << 1 << "0"
                                                                  << "  two  words  ";
    }

    // Only the chosen board's frames are logged and counted: another
    // board's frame first, then the board's second frame ends the run.
    void typedFieldsArrive()
    {
        QFETCH(QString, input);
        QFETCH(QString, board);
        QFETCH(int, present);
        QFETCH(QString, bright);
        QFETCH(QString, message);
        REQUIRE_PRIVATE_NETWORK();

        QProcess process;
        startBoard(process, { "--log", "--board", QString::number(board.toInt()), "--count", "2", input });
        QVERIFY(process.waitForStarted());
        Transport sender;
        const QByteArray frame = BoardFrame::build(board, present, bright, message);
        const bool stream = !input.contains(u"udp");
        if (input == u"PTY") {
            QVERIFY(openSenderOnPty(process, sender));
        } else if (stream) {
            for (int i = 0; i < 50 && !sender.open(u"TCP:127.0.0.1:47013"_s, {}).ok(); ++i)
                QTest::qWait(100); // until the board listens
        } else {
            QVERIFY(sender.open(input.toUpper().remove(u' '), PortSettings::mapped).ok());
            // Resent until the board listens: a datagram without its D is logged at once, not kept for the next.
            for (int i = 0; i < 50 && !process.waitForReadyRead(200); ++i)
                QVERIFY(sender.send("\r5AX").ok());
            QCOMPARE(readJson(process)[u"error"].toString(), u"unfinished-datagram"_s);
        }
        if (stream)
            QVERIFY(sender.send("junk\r5Q1\r5B777").ok());
        for (const QByteArray &next : { BoardFrame::build("13", 0, "1", "other"), frame, frame })
            QVERIFY(sender.send(next).ok());
        if (stream) {
            for (const char *error : { "bytes-before-first-cr", "unknown-command", "bad-argument" })
                QCOMPARE(readJson(process)[u"error"].toString(), QString::fromLatin1(error));
        }

        for (int n = 0; n < 2; ++n) {
            QJsonObject line = readJson(process);
            while (line[u"error"].toString() == u"unfinished-datagram") // the resent ones
                line = readJson(process);
            QCOMPARE(line[u"type"].toString(), u"frame"_s);
            QCOMPARE(line[u"board"].toString(), board);
            QCOMPARE(line[u"number"].toInt(), board.toInt());
            QCOMPARE(line[u"mode"].toInt(), present);
            QCOMPARE(line[u"brightness"].toInt(), bright.toInt());
            QCOMPARE(line[u"text"].toString(), message.trimmed());
            QCOMPARE(line[u"bytes"].toInt(), frame.size());
            if (input == u"PTY")
                QCOMPARE(line[u"line"].toString(), u"9600 8N1"_s);
        }
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
    }

    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("signal"); // sent once the terminal's path is out
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("output"); // after the terminal's path

        QTest::newRow("no input") << QStringList { "--log" } << 0 << 2 << QByteArray();
        QTest::newRow("UDP port 0") << QStringList { "--log", "UDP0" } << 0 << 2 << QByteArray();
        QTest::newRow("TCP with no port") << QStringList { "--log", "TCP:" } << 0 << 2 << QByteArray();
        QTest::newRow("TCP on an address not here")
                << QStringList { "--log", "TCP:192.0.2.1:5000" } << 0 << 1 << QByteArray();
        QTest::newRow("zero columns") << QStringList { "--log", "--columns", "0", "PTY" } << 0 << 2 << QByteArray();
        QTest::newRow("an unknown option") << QStringList { "--logg", "PTY" } << 0 << 2 << QByteArray();
        QTest::newRow("a device that does not exist")
                << QStringList { "--log", "/dev/no-such-tty" } << 0 << 1 << QByteArray();
        QTest::newRow("SIGINT ends cleanly") << QStringList { "--log", "PTY" } << int(SIGINT) << 0 << QByteArray();
        QTest::newRow("version, as VaroSend says it")
                << QStringList { "--version", "PTY" } << 0 << 0
                << QByteArray("VaroBoard " QT_STRINGIFY(VMB_VERSION_MAJOR) "." QT_STRINGIFY(VMB_VERSION_MINOR) "\n");
    }

    void exitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, signal);
        QFETCH(int, exitCode);

        QProcess process;
        startBoard(process, arguments);
        if (signal) {
            QVERIFY(!readLine(process).isEmpty());
            ::kill(pid_t(process.processId()), signal);
        }
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        QVERIFY(exitCode == 0 || !process.readAllStandardError().isEmpty());
        QTEST(process.readAllStandardOutput(), "output");
    }

    void dotsPicture()
    {
        const QTemporaryDir folder;
        const QString file = folder.filePath(u"dots.png"_s);
        QProcess process;
        startBoard(process, { u"--dots"_s, file, u"--at"_s, u"1000"_s, u"--columns"_s, u"4"_s, u"PTY"_s });
        Transport sender;
        QVERIFY(openSenderOnPty(process, sender));
        QVERIFY(sender.send(BoardFrame::build("3", 4, "50", "CRAWL")).ok());
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 0);
        const FaceState shown { 4, 50, u"CRAWL"_s };
        QCOMPARE(QImage(file).convertToFormat(QImage::Format_Grayscale8), LedMatrix::render(shown, 4, 1000));
    }
};

QTEST_GUILESS_MAIN(tst_VaroBoard)
#include "tst_varoboard.moc"
