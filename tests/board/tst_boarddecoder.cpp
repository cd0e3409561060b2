#include "protocol/BoardDecoder.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

QString describe(const BoardDecoder::Event &event)
{
    if (const auto *error = std::get_if<DecodeError>(&event))
        return error->name() + u'@' + QString::number(error->offset);
    const auto &frame = std::get<DecodedFrame>(event);
    const auto number = [](const std::optional<int> &v) { return v ? QString::number(*v) : QStringLiteral("-"); };
    QString text = QStringLiteral("-");
    if (frame.text)
        text = frame.text->size() > 20 ? QStringLiteral("<%1 bytes>").arg(frame.text->size())
                                       : u'\'' + QString::fromLatin1(*frame.text) + u'\'';
    return QStringLiteral("%1=%2 C%3 B%4 A%5").arg(QString::fromLatin1(frame.boardText)).arg(frame.board)
            .arg(number(frame.mode), number(frame.brightness), text);
}

QStringList describeAll(const QList<BoardDecoder::Event> &events)
{
    QStringList lines;
    for (const auto &event : events)
        lines << describe(event);
    return lines;
}

QStringList decode(const QByteArray &stream)
{
    return describeAll(BoardDecoder().feed(stream));
}

const QByteArray hello = QByteArray::fromHex("0D3543320D354237350D354148454C4C4F0D3544");
const QByteArray everyError = "xy\r5C2\r5Dz\r\rC1\r1234567890D\r5c\r5\r5C6\r5C\r5B7\r5B100\r5Bx1\r5AOK\r5D";

} // namespace

class tst_BoardDecoder : public QObject
{
    Q_OBJECT

private slots:
    void stream_data();
    void stream();
    void everyCut_data();
    void everyCut();
    void randomCuts();
    void datagram_data();
    void datagram();
};

void tst_BoardDecoder::stream_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");

    const QByteArray big(BoardDecoder::maxCommand - 2, 'x');  // "5A" + text fills a command
    QTest::newRow("the 20 bytes: board 5, Center, 75, HELLO") << hello << QStringList { "5=5 C2 B75 A'HELLO'" };
    QTest::newRow("board 12 is twelve, B05 is five") << QByteArray("\r12C0\r12B05\r12A\r12D") << QStringList { "12=12 C0 B5 A''" };
    QTest::newRow("007, 07 and 7 are one board") << QByteArray("\r007C1\r7B99\r07AX\r007D") << QStringList { "007=7 C1 B99 A'X'" };
    QTest::newRow("nine digits after leading zeros") << QByteArray("\r000123456789D") << QStringList { "000123456789=123456789 C- B- A-" };
    QTest::newRow("D alone leaves every setting unset") << QByteArray("\r5D") << QStringList { "5=5 C- B- A-" };
    QTest::newRow("a later C replaces an earlier one") << QByteArray("\r5C1\r5C4\r5D") << QStringList { "5=5 C4 B- A-" };
    QTest::newRow("interleaved boards keep their own commands")
            << QByteArray("\r1C1\r2C2\r1AONE\r2ATWO\r2D\r1D") << QStringList { "2=2 C2 B- A'TWO'", "1=1 C1 B- A'ONE'" };
    QTest::newRow("a frame starts afresh after D") << QByteArray("\r5AX\r5D\r5D") << QStringList { "5=5 C- B- A'X'", "5=5 C- B- A-" };
    QTest::newRow("A keeps every byte but CR") << QByteArray("\r5Aa\x01\x80\xff\nD\r5D")
                                                << QStringList { QString::fromLatin1("5=5 C- B- A'a\x01\x80\xff\nD'") };
    QTest::newRow("a command of 64 KiB is kept") << "\r5A" + big + "\r5D" << QStringList { "5=5 C- B- A<65534 bytes>" };
    QTest::newRow("a command one byte over 64 KiB is dropped")
            << "\r5A" + big + "x\r5D" << QStringList { "command-too-long@0", "5=5 C- B- A-" };
    QTest::newRow("bytes before the first CR") << QByteArray("xy\r5D") << QStringList { "bytes-before-first-cr@0", "5=5 C- B- A-" };
    QTest::newRow("bytes after D") << QByteArray("\r5Dxy\r6D") << QStringList { "5=5 C- B- A-", "bytes-after-d@3", "6=6 C- B- A-" };
    QTest::newRow("no board number") << QByteArray("\rC2\r5D") << QStringList { "no-board-number@0", "5=5 C- B- A-" };
    QTest::newRow("an empty command") << QByteArray("\r\r5D") << QStringList { "no-board-number@0", "5=5 C- B- A-" };
    QTest::newRow("ten digits of board number") << QByteArray("\r1234567890D\r5D")
                                                << QStringList { "board-number-too-large@0", "5=5 C- B- A-" };
    QTest::newRow("a lower-case letter") << QByteArray("\r5c2\r5D") << QStringList { "unknown-command@0", "5=5 C- B- A-" };
    QTest::newRow("a board number without a letter") << QByteArray("\r5\r5D") << QStringList { "unknown-command@0", "5=5 C- B- A-" };
    QTest::newRow("C6 is out of range") << QByteArray("\r5C1\r5C6\r5D") << QStringList { "bad-argument@4", "5=5 C1 B- A-" };
    QTest::newRow("C with two digits") << QByteArray("\r5C12\r5D") << QStringList { "bad-argument@0", "5=5 C- B- A-" };
    QTest::newRow("C without its digit") << QByteArray("\r5C\r5D") << QStringList { "bad-argument@0", "5=5 C- B- A-" };
    QTest::newRow("B with one digit") << QByteArray("\r5B7\r5D") << QStringList { "bad-argument@0", "5=5 C- B- A-" };
    QTest::newRow("B with three digits") << QByteArray("\r5B100\r5D") << QStringList { "bad-argument@0", "5=5 C- B- A-" };
    QTest::newRow("B with a letter") << QByteArray("\r5Bx1\r5D") << QStringList { "bad-argument@0", "5=5 C- B- A-" };
}

void tst_BoardDecoder::stream()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);

    QCOMPARE(decode(bytes), expected);
}

void tst_BoardDecoder::everyCut_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("the 20 bytes of HELLO") << hello;
    QTest::newRow("a stream with every kind of error") << everyError;
}

// Every way of cutting the stream into three pieces.
void tst_BoardDecoder::everyCut()
{
    QFETCH(QByteArray, bytes);

    const QStringList whole = decode(bytes);
    for (qsizetype i = 0; i <= bytes.size(); ++i) {
        for (qsizetype j = i; j <= bytes.size(); ++j) {
            BoardDecoder decoder;
            QList<BoardDecoder::Event> events = decoder.feed(bytes.first(i));
            events += decoder.feed(bytes.sliced(i, j - i));
            events += decoder.feed(bytes.sliced(j));
            QCOMPARE(describeAll(events), whole);
        }
    }
}

void tst_BoardDecoder::randomCuts()
{
    QRandomGenerator random(20240611);
    const QByteArray pieces[] = { hello, everyError, "\r3C5\r3B01\r3A\xe9t\xe9\r3D", "\r5A" + QByteArray(70000, 'y'),
                                  "\r9A" + QByteArray(BoardDecoder::maxCommand - 2, 'z') + "\r9D" };
    QByteArray stream;
    for (int i = 0; i < 3000; ++i) {
        const int pick = random.bounded(100);  // the two long commands seldom
        stream += pieces[pick < 2 ? 3 + pick : pick % 3];
    }
    const QList<BoardDecoder::Event> whole = BoardDecoder().feed(stream);
    QVERIFY(whole.size() > 1000);

    for (int round = 0; round < 20; ++round) {
        BoardDecoder decoder;
        QList<BoardDecoder::Event> events;
        for (qsizetype at = 0; at < stream.size();) {
            const qsizetype size = qMin(stream.size() - at, qsizetype(random.bounded(1, 9000)));
            events += decoder.feed(QByteArrayView(stream).sliced(at, size));
            at += size;
        }
        QVERIFY2(events == whole, qPrintable(QStringLiteral("round %1").arg(round)));
    }
}

void tst_BoardDecoder::datagram_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("a whole frame") << hello << QStringList { "5=5 C2 B75 A'HELLO'" };
    QTest::newRow("two frames in one datagram") << QByteArray("\r1C1\r1D\r2C2\r2D") << QStringList { "1=1 C1 B- A-", "2=2 C2 B- A-" };
    QTest::newRow("an error inside, D at the end") << QByteArray("\r5C9\r5D") << QStringList { "bad-argument@0", "5=5 C- B- A-" };
    QTest::newRow("cut before the D") << hello.chopped(1) << QStringList { "unfinished-datagram@0" };
    QTest::newRow("a frame, then an unfinished one") << QByteArray("\r1D\r2C2") << QStringList { "unfinished-datagram@0" };
    QTest::newRow("bytes after the D") << hello + 'x' << QStringList { "unfinished-datagram@0" };
    QTest::newRow("a CR after the D") << hello + '\r' << QStringList { "unfinished-datagram@0" };
    QTest::newRow("an empty datagram") << QByteArray() << QStringList { "unfinished-datagram@0" };
}

void tst_BoardDecoder::datagram()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);

    QCOMPARE(describeAll(BoardDecoder::decodeDatagram(bytes)), expected);
}

QTEST_APPLESS_MAIN(tst_BoardDecoder)
#include "tst_boarddecoder.moc"
