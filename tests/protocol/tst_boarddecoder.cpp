#include "protocol/BoardDecoder.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Each event as "board=number Cmode Bbrightness A'text'" or "error@offset",
// '-' for a setting the frame did not carry; a long text as its size.
QString describe(const QList<BoardDecoder::Event> &events)
{
    QStringList words;
    const auto number = [](std::optional<int> v) { return v ? QString::number(*v) : u"-"_s; };
    for (const auto &event : events) {
        if (const auto *error = std::get_if<DecodeError>(&event)) {
            words << error->name() + u'@' + QString::number(error->offset);
            continue;
        }
        const auto &frame = std::get<DecodedFrame>(event);
        const QString text = !frame.text  ? u"-"_s
                : frame.text->size() > 20 ? QString::number(frame.text->size())
                                          : u'\'' + QString::fromLatin1(*frame.text) + u'\'';
        words << u"%1=%2 C%3 B%4 A%5"_s.arg(QString::fromLatin1(frame.boardText))
                         .arg(frame.board)
                         .arg(number(frame.mode), number(frame.brightness), text);
    }
    return words.join(u" | "_s);
}

const QByteArray hello = QByteArray::fromHex("0D3543320D354237350D354148454C4C4F0D3544");
const QByteArray everyError = "xy\r5C2\r5Dzz\r\rC1\r1234567890D\r5c\r5\r5C6\r5C12\r5C\r5B7\r5B100\r5Bx1\r5AOK\r5D";

} // namespace

class tst_BoardDecoder : public QObject
{
    Q_OBJECT

private slots:
    // "whole": the bytes make a datagram; any other datagram yields one error.
    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("whole");

        const QByteArray big(BoardDecoder::maxCommand - 2, 'x'); // "5A" + text fills a command
        const auto row = [](const char *name, const QByteArray &bytes, const QString &expected, bool whole = true) {
            QTest::newRow(name) << bytes << expected << whole;
        };
        row("007, 07 and 7 are one board; C0 is left, B05 is five", "\r007C0\r7B05\r07AX\r007D", "007=7 C0 B5 A'X'");
        row("nine digits after leading zeros", "\r000123456789D", "000123456789=123456789 C- B- A-");
        row("a later C replaces an earlier one, C6 does not", "\r5C1\r5C5\r5C6\r5D", "bad-argument@8 | 5=5 C5 B- A-");
        row("interleaved boards; a frame starts afresh after D", "\r1C1\r2C2\r1AONE\r2ATWO\r2D\r1D\r1D",
            "2=2 C2 B- A'TWO' | 1=1 C1 B- A'ONE' | 1=1 C- B- A-");
        row("A keeps every byte but CR", "\r5A a\x01\x80\xff\nD \r5D",
            QString::fromLatin1("5=5 C- B- A' a\x01\x80\xff\nD '"));
        row("a command of 64 KiB is kept", "\r5A" + big + "\r5D", "5=5 C- B- A65534");
        row("a command one byte over 64 KiB is dropped", "\r5A" + big + "x\r5D", "command-too-long@0 | 5=5 C- B- A-");
        row("every kind of error, each dropped up to the next CR", everyError,
            "bytes-before-first-cr@0 | 5=5 C2 B- A- | bytes-after-d@9 | no-board-number@11 | no-board-number@12 | "
            "board-number-too-large@15 | unknown-command@27 | unknown-command@30 | bad-argument@32 | "
            "bad-argument@36 | bad-argument@41 | bad-argument@44 | bad-argument@48 | bad-argument@54 | "
            "5=5 C- B- A'OK'");
        row("a frame, then an unfinished one", "\r1D\r2C2", "1=1 C- B- A-", false);
        row("bytes after the D", hello + 'x', "5=5 C2 B75 A'HELLO' | bytes-after-d@20", false);
        row("a CR after the D", hello + '\r', "5=5 C2 B75 A'HELLO'", false);
        row("nothing", QByteArray(), "", false);
    }

    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QFETCH(bool, whole);

        QCOMPARE(describe(BoardDecoder().feed(bytes)), expected);
        QCOMPARE(describe(BoardDecoder::decodeDatagram(bytes)), whole ? expected : u"unfinished-datagram@0"_s);
    }

    // Every way of cutting a stream into three pieces decodes as the whole;
    // for a long command, cuts every 4099 bytes, across the 64 KiB bound.
    void everyCut()
    {
        const QByteArray big(BoardDecoder::maxCommand, 'y');
        for (const QByteArray &bytes : { hello, everyError, "\r5A" + big + "\r5D\r9A" + big.sliced(2) + "\r9D" }) {
            const QString whole = describe(BoardDecoder().feed(bytes));
            const qsizetype step = bytes.size() > 1000 ? 4099 : 1;
            for (qsizetype i = 0; i <= bytes.size(); i += step) {
                for (qsizetype j = i; j <= bytes.size(); j += step) {
                    BoardDecoder decoder;
                    QList<BoardDecoder::Event> events = decoder.feed(bytes.first(i));
                    events += decoder.feed(bytes.sliced(i, j - i));
                    events += decoder.feed(bytes.sliced(j));
                    QCOMPARE(describe(events), whole);
                }
            }
        }
    }
};

QTEST_APPLESS_MAIN(tst_BoardDecoder)
#include "tst_boarddecoder.moc"
