#include "messages/modUtils.h"
#include "transport/TransportArgument.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// Number reading and the transport argument; the field checks and the frame
// are checked end to end, on VaroSend's output and on the window's line.
class tst_Rules : public QObject
{
    Q_OBJECT

private slots:
    void parseDecimal_data()
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
        QTest::newRow("fullwidth digit is not a digit") << u"\uFF11"_s << 1 << 0 << 1;
        QTest::newRow("spaces stop at 32767") << QString(40000, u' ') << 1 << 0 << 32767;
        QTest::newRow("position cannot pass 32767") << QString(40000, u'0') << 1 << 0 << 32767;
    }

    void parseDecimal()
    {
        QFETCH(QString, text);
        QFETCH(int, start);

        qint16 position = qint16(start);
        QTEST(int(modUtils::ParseDecimal(text, position)), "value");
        QTEST(int(position), "end");
    }

    void argument_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("port");

        const int none = int(CommMode::None), serial = int(CommMode::Serial), udp = int(CommMode::Udp);
        QTest::newRow("spaces only mean COM1") << "   " << serial << 1;
        QTest::newRow("udp5000 in lower case") << "udp5000" << udp << 5000;
        QTest::newRow("Com3 with spaces around") << "  Com3  " << serial << 3;
        QTest::newRow("space before the number, leading zero") << "COM 05" << serial << 5;
        QTest::newRow("UDP65535 is the bound") << "UDP65535" << udp << 65535;
        QTest::newRow("COM40000 passes the range test") << "COM40000" << serial << 40000;
        QTest::newRow("COM alone") << "COM" << none << 0;
        QTest::newRow("UDP65536 is above it") << "UDP65536" << none << 0;
        QTest::newRow("UDP0 is below it") << "UDP0" << none << 0;
        QTest::newRow("COM1 X") << "COM1 X" << none << 0;
        QTest::newRow("a sign before the number") << "COM-1" << none << 0;
        QTest::newRow("TCP80") << "TCP80" << none << 0;
        QTest::newRow("a tab is not a space") << "\tCOM1" << none << 0;
        QTest::newRow("more digits than an int holds") << "UDP99999999999" << none << 0;
    }

    void argument()
    {
        QFETCH(QString, commandLine);

        const TransportArgument argument = TransportArgument::parse(commandLine);
        QTEST(int(argument.mode), "mode");
        QTEST(argument.port, "port");
    }
};

QTEST_APPLESS_MAIN(tst_Rules)
#include "tst_rules.moc"

using namespace Qt::StringLiterals;
