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
        const auto row = [](const char *name, const QString &text, int start, int value, int end) {
            QTest::newRow(name) << text << start << value << end;
        };

        row("12ab stops at the letter", "12ab", 1, 12, 3);
        row("start in the middle, spaces skipped", "x  42", 2, 42, 6);
        row("32768 leaves its last digit", "32768", 1, 3276, 5);
        row("tab is not skipped", " \t5", 1, 0, 2);
        row("colon after 9 is not a digit", "9:", 1, 9, 2);
        row("fullwidth digit is not a digit", u"\uFF11"_s, 1, 0, 1);
        row("spaces stop at 32767", QString(40000, u' '), 1, 0, 32767);
        row("position cannot pass 32767", QString(40000, u'0'), 1, 0, 32767);
    }

    void parseDecimal()
    {
        QFETCH(QString, text);
        QFETCH(int, start);

        qint16 position = qint16(start);
        QTEST(int(modUtils::ParseDecimal(text, position)), "value");
        QTEST(int(position), "end");
    }

    // The window's label, VaroSend, VaroBoard and the transport's texts take
    // the case, the spaces, the bounds and the leading zeros further.
    void argument_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("port");
        const auto row = [](const char *name, CommMode mode, int port = 0) {
            QTest::newRow(name) << QString::fromUtf8(name).section(u'|', 0, 0) << int(mode) << port;
        };

        row("   |spaces only mean COM1", CommMode::Serial, 1);
        row("COM|alone", CommMode::None);
        row("UDP65536|above it", CommMode::None);
        row("COM1 X|something after", CommMode::None);
        row("COM-1|a sign before the number", CommMode::None);
        row("\tCOM1|a tab is not a space", CommMode::None);
        row("UDP99999999999|more digits than an int holds", CommMode::None);
        row(" tcp:[::1]:65535 |TCP in any case, IPv6 in brackets, the highest port", CommMode::Tcp, 65535);
        row("TCP:::1:5000|IPv6 without brackets", CommMode::None);
        row("TCP:host:0|TCP port 0", CommMode::None);
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
