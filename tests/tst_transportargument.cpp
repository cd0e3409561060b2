#include "transport/TransportArgument.h"

#include <QtTest>

class tst_TransportArgument : public QObject
{
    Q_OBJECT

private slots:
    void accepted_data();
    void accepted();
    void notRecognized_data();
    void notRecognized();
    void messageQuotesTheTextAsTyped();
};

void tst_TransportArgument::accepted_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("port");

    const int serial = TransportArgument::Serial;
    const int udp = TransportArgument::Udp;
    QTest::newRow("no argument means COM1") << "" << serial << 1;
    QTest::newRow("spaces only mean COM1") << "   " << serial << 1;
    QTest::newRow("udp5000 in lower case") << "udp5000" << udp << 5000;
    QTest::newRow("COM2 between two spaces each side") << "  COM2  " << serial << 2;
    QTest::newRow("mixed case Com3") << "Com3" << serial << 3;
    QTest::newRow("space before the number") << "COM 5" << serial << 5;
    QTest::newRow("leading zero") << "COM05" << serial << 5;
    QTest::newRow("UDP1 is the lowest") << "UDP1" << udp << 1;
    QTest::newRow("UDP65535 is the highest") << "UDP65535" << udp << 65535;
    QTest::newRow("COM40000 passes the range test") << "COM40000" << serial << 40000;
}

void tst_TransportArgument::accepted()
{
    QFETCH(QString, commandLine);
    QFETCH(int, kind);
    QFETCH(int, port);

    const TransportArgument argument = TransportArgument::parse(commandLine);
    QCOMPARE(int(argument.kind), kind);
    QCOMPARE(argument.port, port);
}

void tst_TransportArgument::notRecognized_data()
{
    QTest::addColumn<QString>("commandLine");

    QTest::newRow("COM alone") << "COM";
    QTest::newRow("UDP alone") << "UDP";
    QTest::newRow("COM0") << "COM0";
    QTest::newRow("UDP0") << "UDP0";
    QTest::newRow("COM-1") << "COM-1";
    QTest::newRow("UDP65536") << "UDP65536";
    QTest::newRow("COMX") << "COMX";
    QTest::newRow("COM1 X") << "COM1 X";
    QTest::newRow("TCP80") << "TCP80";
    QTest::newRow("LPT1") << "LPT1";
    QTest::newRow("plus sign") << "COM+1";
    QTest::newRow("fraction") << "COM1.5";
    QTest::newRow("a tab is not a space") << "\tCOM1";
    QTest::newRow("more digits than an int holds") << "UDP99999999999";
    QTest::newRow("two arguments") << "COM1 UDP2";
}

void tst_TransportArgument::notRecognized()
{
    QFETCH(QString, commandLine);

    QCOMPARE(int(TransportArgument::parse(commandLine).kind), int(TransportArgument::NotRecognized));
}

void tst_TransportArgument::messageQuotesTheTextAsTyped()
{
    QCOMPARE(TransportArgument::notRecognizedMessage(QStringLiteral(" tcp80 ")),
             QStringLiteral("The command line argument \" tcp80 \"is not recognized\r"
                            "Please specify argument as \"COM#\" or \"UDP#\" alone, where # is replaced by\r"
                            "the serial COM port number or network UDP port number to use."));
}

QTEST_APPLESS_MAIN(tst_TransportArgument)
#include "tst_transportargument.moc"
