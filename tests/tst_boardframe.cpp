#include "protocol/BoardFrame.h"
#include "common/Windows1252.h"

#include <QtTest>

class tst_BoardFrame : public QObject
{
    Q_OBJECT

private slots:
    void build_data();
    void build();
    void windows1252_data();
    void windows1252();
    void everyByteReadsBack();
};

void tst_BoardFrame::build_data()
{
    QTest::addColumn<QString>("board");
    QTest::addColumn<int>("present");
    QTest::addColumn<QString>("bright");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("board 5, Center, 75, HELLO: the 20 bytes")
            << "5" << 2 << "75" << "HELLO"
            << QByteArray::fromHex("0D3543320D354237350D354148454C4C4F0D3544");
    QTest::newRow("board 12 stands before every command")
            << "12" << 0 << "75" << "HELLO" << QByteArray("\r12C0\r12B75\r12AHELLO\r12D");
    QTest::newRow("brightness 5 becomes 05") << "1" << 0 << "5" << "" << QByteArray("\r1C0\r1B05\r1A\r1D");
    QTest::newRow("brightness 0 becomes 00") << "1" << 0 << "0" << "" << QByteArray("\r1C0\r1B00\r1A\r1D");
    QTest::newRow("brightness 099 keeps its last two") << "1" << 0 << "099" << "" << QByteArray("\r1C0\r1B99\r1A\r1D");
    QTest::newRow("brightness 100 keeps its last two") << "1" << 0 << "100" << "" << QByteArray("\r1C0\r1B00\r1A\r1D");
    QTest::newRow("spaces only make an empty message")
            << "3" << 1 << "50" << "     " << QByteArray("\r3C1\r3B50\r3A\r3D");
    QTest::newRow("outer spaces go, inner spaces stay")
            << "3" << 4 << "50" << "  two  words  " << QByteArray("\r3C4\r3B50\r3Atwo  words\r3D");
    QTest::newRow("letters in the board number go out as typed")
            << "abc" << 0 << "99" << "m" << QByteArray("\rabcC0\rabcB99\rabcAm\rabcD");
    QTest::newRow("long message is not shortened")
            << "1" << 0 << "99" << QString(300, u'x') << QByteArray("\r1C0\r1B99\r1A" + QByteArray(300, 'x') + "\r1D");
}

void tst_BoardFrame::build()
{
    QFETCH(QString, board);
    QFETCH(int, present);
    QFETCH(QString, bright);
    QFETCH(QString, message);
    QFETCH(QByteArray, frame);

    QCOMPARE(BoardFrame::build(board, present, bright, message), frame);
}

void tst_BoardFrame::windows1252_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("Latin-1 letters") << QString::fromUtf8("Grüße à Zoë") << QByteArray("Gr\xFC\xDF" "e \xE0 Zo\xEB");
    QTest::newRow("euro and quotes from the 0x80 row")
            << QString::fromUtf8("€ „x“ – ™") << QByteArray("\x80 \x84x\x93 \x96 \x99");
    QTest::newRow("outside the code page becomes ?") << QString::fromUtf8("日本 Ω") << QByteArray("?? ?");
    QTest::newRow("a character beyond the BMP is one ?") << QString::fromUtf8("a😀b") << QByteArray("a?b");
}

void tst_BoardFrame::windows1252()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);

    QCOMPARE(Windows1252::fromUnicode(text), bytes);
    if (!bytes.contains('?'))
        QCOMPARE(Windows1252::toUnicode(bytes), text);
}

void tst_BoardFrame::everyByteReadsBack()
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    QCOMPARE(Windows1252::fromUnicode(Windows1252::toUnicode(all)), all);
}

QTEST_APPLESS_MAIN(tst_BoardFrame)
#include "tst_boardframe.moc"
