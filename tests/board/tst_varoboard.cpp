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

namespace {

// The log and the picture need no display: run them the way a script on a server would.
void startBoard(QProcess &board, const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    board.setProcessEnvironment(environment);
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
    QSettings settings(QStringLiteral("VaroMsgBoard"), QStringLiteral("VaroMsgBoard"));
    settings.setValue(QStringLiteral("Ports/COM7"), readLine(board));
    settings.sync();
    return sender.open(QStringLiteral("COM7"), PortSettings::mapped).ok();
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

        QTest::newRow("UDP: board 5, Center, 75, HELLO") << "UDP47011"
                                                         << "5" << 2 << "75"
                                                         << "HELLO";
        QTest::newRow("udp with spaces: 007, crawl, accents and euro")
                << " udp 47012 "
                << "007" << 5 << "5" << QString::fromUtf8("Grüße, 5 €");
        QTest::newRow("PTY through [Ports], after logged errors: board 12, right, 0") << "PTY"
                                                                                      << "12" << 1 << "0"
                                                                                      << "  two  words  ";
    }

    void typedFieldsArrive()
    {
        QFETCH(QString, input);
        QFETCH(QString, board);
        QFETCH(int, present);
        QFETCH(QString, bright);
        QFETCH(QString, message);
        REQUIRE_PRIVATE_NETWORK();

        QProcess process;
        startBoard(process, { QStringLiteral("--log"), QStringLiteral("--count"), QStringLiteral("1"), input });
        QVERIFY(process.waitForStarted());
        Transport sender;
        const QByteArray frame = BoardFrame::build(board, present, bright, message);
        if (input == u"PTY") {
            QVERIFY(openSenderOnPty(process, sender));
            QVERIFY(sender.send("junk\r5Q1\r5B777" + frame).ok());
            for (const char *error : { "bytes-before-first-cr", "unknown-command", "bad-argument" })
                QCOMPARE(readJson(process)[u"error"].toString(), QString::fromLatin1(error));
        } else {
            QVERIFY(sender.open(input.toUpper().remove(u' '), PortSettings::mapped).ok());
            // Resent until the board listens: a datagram without its D is logged at once, not kept for the next.
            for (int i = 0; i < 50 && !process.waitForReadyRead(200); ++i)
                QVERIFY(sender.send("\r5AX").ok());
            QCOMPARE(readJson(process)[u"error"].toString(), QStringLiteral("unfinished-datagram"));
            QVERIFY(sender.send(frame).ok());
        }

        QJsonObject line = readJson(process);
        while (line[u"error"].toString() == u"unfinished-datagram") // the resent ones
            line = readJson(process);
        QCOMPARE(line[u"type"].toString(), QStringLiteral("frame"));
        QCOMPARE(line[u"board"].toString(), board);
        QCOMPARE(line[u"number"].toInt(), board.toInt());
        QCOMPARE(line[u"mode"].toInt(), present);
        QCOMPARE(line[u"brightness"].toInt(), bright.toInt());
        QCOMPARE(line[u"text"].toString(), message.trimmed());
        QCOMPARE(line[u"bytes"].toInt(), frame.size());
        if (input == u"PTY")
            QCOMPARE(line[u"line"].toString(), QStringLiteral("9600 8N1"));
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 0);
    }

    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("signal"); // sent once the terminal's path is out
        QTest::addColumn<int>("exitCode");

        QTest::newRow("no input") << QStringList { "--log" } << 0 << 2;
        QTest::newRow("UDP port 0") << QStringList { "--log", "UDP0" } << 0 << 2;
        QTest::newRow("zero columns") << QStringList { "--log", "--columns", "0", "PTY" } << 0 << 2;
        QTest::newRow("an unknown option") << QStringList { "--logg", "PTY" } << 0 << 2;
        QTest::newRow("a device that does not exist") << QStringList { "--log", "/dev/no-such-tty" } << 0 << 1;
        QTest::newRow("SIGTERM ends cleanly") << QStringList { "--log", "PTY" } << int(SIGTERM) << 0;
        QTest::newRow("SIGINT ends cleanly") << QStringList { "--log", "PTY" } << int(SIGINT) << 0;
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
    }

    void dotsPicture()
    {
        const QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("dots.png"));
        QProcess process;
        startBoard(process,
                   { QStringLiteral("--dots"), file, QStringLiteral("--at"), QStringLiteral("1000"),
                     QStringLiteral("--columns"), QStringLiteral("4"), QStringLiteral("PTY") });
        Transport sender;
        QVERIFY(openSenderOnPty(process, sender));
        QVERIFY(sender.send(BoardFrame::build("3", 4, "50", "CRAWL")).ok());
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 0);
        const FaceState shown { 4, 50, QStringLiteral("CRAWL") };
        QCOMPARE(QImage(file).convertToFormat(QImage::Format_Grayscale8), LedMatrix::render(shown, 4, 1000));
    }
};

QTEST_GUILESS_MAIN(tst_VaroBoard)
#include "tst_varoboard.moc"
