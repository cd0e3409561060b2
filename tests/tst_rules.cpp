#include "messages/modUtils.h"
#include "rules/Sending.h"
#include "transport/TransportArgument.h"

#include <QtTest>

// The rules behind SEND: number reading, the field checks, the frame and
// its bytes, and the argument.
class tst_Rules : public QObject
{
    Q_OBJECT

private slots:
    void parseDecimal_data();
    void parseDecimal();
    void prepare_data();
    void prepare();
    void argument_data();
    void argument();
};

void tst_Rules::parseDecimal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("end");

    QTest::newRow("12ab stops at the letter") << "12ab" << 1 << 12 << 3;
    QTest::newRow("start in the middle, spaces skipped") << "x  42" << 2 << 42 << 6;
    QTest::newRow("32768 leaves its last digit") << "32768" << 1 << 3276 << 5;
    QTest::newRow("tab is not skipped") << " \t5" << 1 << 0 << 2;
    QTest::newRow("colon after 9 is not a digit") << "9:" << 1 << 9 << 2;
    QTest::newRow("fullwidth digit is not a digit") << QString::fromUtf8("\uFF11") << 1 << 0 << 1;
    QTest::newRow("spaces stop at 32767") << QString(40000, u' ') << 1 << 0 << 32767;
    QTest::newRow("position cannot pass 32767") << QString(40000, u'0') << 1 << 0 << 32767;
}

void tst_Rules::parseDecimal()
{
    QFETCH(QString, text);
    QFETCH(int, start);

    qint16 position = qint16(start);
    QTEST(int(modUtils::ParseDecimal(text, position)), "value");
    QTEST(int(position), "end");
}

// Fields as typed -> what the checks leave, the frame, and what the
// operator is told, in order.
void tst_Rules::prepare_data()
{
    QTest::addColumn<QStringList>("typed"); // board, presentation, brightness, message
    QTest::addColumn<QStringList>("tidied"); // board, brightness
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QList<int>>("problems");

    const QList<int> none;
    QTest::newRow("board 5, Center, 75, HELLO: the 20 bytes")
            << QStringList { "5", "2", "75", "HELLO" } << QStringList { "5", "75" }
            << QByteArray::fromHex("0D3543320D354237350D354148454C4C4F0D3544") << none;
    QTest::newRow("007 keeps its zeros, brightness 5 becomes 05")
            << QStringList { " 007 ", "5", "5", "" } << QStringList { "007", "5" }
            << QByteArray("\r007C5\r007B05\r007A\r007D") << none;
    QTest::newRow("empty fields take 0 and 99")
            << QStringList { "  ", "3", "", "  two  words  " } << QStringList { "0", "99" }
            << QByteArray("\r0C3\r0B99\r0Atwo  words\r0D") << none;
    QTest::newRow("Windows-1252 message, one ? outside it")
            << QStringList { "1", "0", "9", QString::fromUtf8("€„™Ÿü日😀") } << QStringList { "1", "9" }
            << QByteArray("\r1C0\r1B09\r1A\x80\x84\x99\x9F\xFC??\r1D") << none;
    QTest::newRow("brightness 100 fails, nothing goes out")
            << QStringList { "1", "0", "100", "m" } << QStringList { "1", "100" } << QByteArray()
            << QList<int> { Outcome::BrightnessInvalid };
    QTest::newRow("both fail: board told first")
            << QStringList { "abc", "0", "-5", "m" } << QStringList { "abc", "-5" } << QByteArray()
            << QList<int> { Outcome::BoardNumberInvalid, Outcome::BrightnessInvalid };
    QTest::newRow("five nines fail") << QStringList { "99999", "0", "1 2", "m" } << QStringList { "99999", "1 2" }
                                     << QByteArray()
                                     << QList<int> { Outcome::BoardNumberInvalid, Outcome::BrightnessInvalid };
    QTest::newRow("32767 zeros fail") << QStringList { QString(32767, u'0'), "0", "0", "m" }
                                      << QStringList { QString(32767, u'0'), "0" } << QByteArray()
                                      << QList<int> { Outcome::BoardNumberInvalid };
}

void tst_Rules::prepare()
{
    QFETCH(QStringList, typed);
    QFETCH(QStringList, tidied);

    const Sending::Result result = Sending::prepare({ typed[0], typed[1].toInt(), typed[2], typed[3] });
    QCOMPARE(result.fields.boardNum, tidied[0]);
    QCOMPARE(result.fields.bright, tidied[1]);
    QCOMPARE(result.fields.message, typed[3]);
    QTEST(result.frame, "frame");
    QList<int> kinds;
    for (const Outcome &problem : result.problems)
        kinds << problem.kind;
    QTEST(kinds, "problems");
}

void tst_Rules::argument_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("port");

    const int none = int(CommMode::None), serial = int(CommMode::Serial), udp = int(CommMode::Udp);
    QTest::newRow("spaces only mean COM1") << "   " << serial << 1;
    QTest::newRow("udp5000 in lower case") << "udp5000" << udp << 5000;
    QTest::newRow("Com3 with spaces around") << "  Com3  " << serial << 3;
    QTest::newRow("space before the number, leading zero") << "COM 05" << serial << 5;
    QTest::newRow("UDP1 and UDP65535 are the bounds") << "UDP65535" << udp << 65535;
    QTest::newRow("COM40000 passes the range test") << "COM40000" << serial << 40000;
    QTest::newRow("COM alone") << "COM" << none << 0;
    QTest::newRow("UDP65536 is above it") << "UDP65536" << none << 0;
    QTest::newRow("COM1 X") << "COM1 X" << none << 0;
    QTest::newRow("a sign before the number") << "COM-1" << none << 0;
    QTest::newRow("TCP80") << "TCP80" << none << 0;
    QTest::newRow("a tab is not a space") << "\tCOM1" << none << 0;
    QTest::newRow("more digits than an int holds") << "UDP99999999999" << none << 0;
}

void tst_Rules::argument()
{
    QFETCH(QString, commandLine);

    const TransportArgument argument = TransportArgument::parse(commandLine);
    QTEST(int(argument.mode), "mode");
    QTEST(argument.port, "port");
}

QTEST_APPLESS_MAIN(tst_Rules)
#include "tst_rules.moc"
