#include "board/BoardSet.h"
#include "board/GlyphTable.h"
#include "board/LedMatrix.h"
#include "common/Windows1252.h"
#include "protocol/BoardDecoder.h"

#include <QtTest>

namespace {

QString row(const QImage &image, int y)
{
    QString text;
    for (int x = 0; x < image.width(); ++x)
        text += image.pixelColor(x, y).value() > 0 ? u'#' : u'.';
    return text;
}

int brightest(const QImage &image)
{
    int grey = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            grey = qMax(grey, image.pixelColor(x, y).value());
    }
    return grey;
}

QImage render(int mode, int brightness, const QString &text, int columns, int ms)
{
    return LedMatrix::render(DisplayState { {}, 0, mode, brightness, text, 0 }, columns, ms);
}

} // namespace

class tst_BoardFace : public QObject
{
    Q_OBJECT

private slots:
    void topRow_data();
    void topRow();
    void everyLed_data();
    void everyLed();
    void glyphForEveryLetter();
    void glyphsAllDiffer();
    void boards_data();
    void boards();
};

// The top LED row shows where each character sits: H is #...#, I is .###.
void tst_BoardFace::topRow_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("brightness");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("ms");
    QTest::addColumn<QString>("top");
    QTest::addColumn<int>("grey");

    QTest::newRow("left") << 0 << 99 << "HI" << 3 << 0 << "#...#..###......." << 255;
    QTest::newRow("right") << 1 << 99 << "HI" << 3 << 0 << "......#...#..###." << 255;
    QTest::newRow("center, even free cells") << 2 << 99 << "HI" << 4 << 0 << "......#...#..###......." << 255;
    QTest::newRow("center, odd free cells: the spare cell is on the right")
            << 2 << 99 << "HI" << 5 << 0 << "......#...#..###............." << 255;
    QTest::newRow("left, wider than the display: first characters") << 0 << 99 << "HIH" << 2 << 0 << "#...#..###." << 255;
    QTest::newRow("right, wider than the display: first characters") << 1 << 99 << "HIH" << 2 << 0 << "#...#..###." << 255;
    QTest::newRow("center, wider than the display: first characters") << 2 << 99 << "HIH" << 2 << 0 << "#...#..###." << 255;
    QTest::newRow("brightness 00: every LED dark") << 0 << 0 << "HI" << 2 << 0 << "..........." << 0;
    QTest::newRow("brightness 50: proportional") << 0 << 50 << "HI" << 2 << 0 << "#...#..###." << 129;
    QTest::newRow("brightness 01: still lit") << 0 << 1 << "HI" << 2 << 0 << "#...#..###." << 3;
    QTest::newRow("slow crawl: empty at the start") << 3 << 99 << "H" << 2 << 79 << "..........." << 0;
    QTest::newRow("slow crawl: first column enters at 80 ms") << 3 << 99 << "H" << 2 << 80 << "..........#" << 255;
    QTest::newRow("medium crawl: first column enters at 40 ms") << 4 << 99 << "H" << 2 << 40 << "..........#" << 255;
    QTest::newRow("fast crawl: first column enters at 20 ms") << 5 << 99 << "H" << 2 << 20 << "..........#" << 255;
    QTest::newRow("slow crawl: ten steps in") << 3 << 99 << "H" << 2 << 800 << ".#...#....." << 255;
    QTest::newRow("fast crawl: last column about to leave") << 5 << 99 << "H" << 2 << 300 << "#.........." << 255;
    QTest::newRow("fast crawl: gone after display plus text") << 5 << 99 << "H" << 2 << 320 << "..........." << 0;
    QTest::newRow("fast crawl: enters again") << 5 << 99 << "H" << 2 << 340 << "..........#" << 255;
    QTest::newRow("crawl: a text wider than the display is not cut")
            << 5 << 99 << "HIH" << 1 << 20 * 9 << "#..##" << 255;
}

void tst_BoardFace::topRow()
{
    QFETCH(int, mode);
    QFETCH(int, brightness);
    QFETCH(QString, text);
    QFETCH(int, columns);
    QFETCH(int, ms);
    QFETCH(QString, top);
    QFETCH(int, grey);

    const QImage image = render(mode, brightness, text, columns, ms);
    QCOMPARE(image.size(), QSize(columns * 6 - 1, 7));
    QCOMPARE(row(image, 0), top);
    QCOMPARE(brightest(image), grey);
}

void tst_BoardFace::everyLed_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("leds");

    QTest::newRow("HI: glyphs upright, not mirrored, one dark column between")
            << "HI" << QStringList { "#...#..###.", "#...#...#..", "#...#...#..", "#####...#..",
                                     "#...#...#..", "#...#...#..", "#...#..###." };
    QTest::newRow("a control character and a sign without a glyph: placeholders")
            << QString::fromUtf8("\x01§") << QStringList { "#####.#####", "#...#.#...#", "#.#.#.#.#.#", "#...#.#...#",
                                                          "#.#.#.#.#.#", "#...#.#...#", "#####.#####" };
    QTest::newRow("an accented capital keeps its accent above the letter")
            << QString::fromUtf8("ÉÖ") << QStringList { "...#...#.#.", "..#........", "#####..###.", "#.....#...#",
                                                         "####..#...#", "#.....#...#", "#####..###." };
}

void tst_BoardFace::everyLed()
{
    QFETCH(QString, text);
    QFETCH(QStringList, leds);

    const QImage image = render(0, 99, text, 2, 0);
    QStringList rows;
    for (int y = 0; y < image.height(); ++y)
        rows << row(image, y);
    QCOMPARE(rows, leds);
}

void tst_BoardFace::glyphForEveryLetter()
{
    for (int code = 0; code < 256; ++code) {
        const QChar ch = Windows1252::toUnicode(QByteArray(1, char(code))).at(0);
        const bool wanted = (code >= 0x20 && code < 0x7F) || ch.isLetter() || ch == u'€';
        QVERIFY2(GlyphTable::has(ch) == wanted, qPrintable(QStringLiteral("byte %1").arg(code, 2, 16)));
    }
}

void tst_BoardFace::glyphsAllDiffer()
{
    QHash<QByteArray, QChar> seen;
    seen.insert(QByteArray(reinterpret_cast<const char *>(GlyphTable::placeholder().data()), 7), u'\0');
    for (int code = 0; code < 256; ++code) {
        const QChar ch = Windows1252::toUnicode(QByteArray(1, char(code))).at(0);
        if (!GlyphTable::has(ch))
            continue;
        const GlyphTable::Rows rows = GlyphTable::rows(ch);
        const QByteArray key(reinterpret_cast<const char *>(rows.data()), 7);
        QVERIFY2(!seen.contains(key), qPrintable(QString(ch) + QStringLiteral(" looks like ") + seen.value(key)));
        seen.insert(key, ch);
    }
}

void tst_BoardFace::boards_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("only");  // -1: every board
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("a first frame with no settings: left, full brightness, blank")
            << QByteArray("\r5D") << -1 << QStringList { "5: 0 99 ''" };
    QTest::newRow("a frame without C and B keeps the earlier ones")
            << QByteArray("\r5C2\r5B40\r5AX\r5D\r5AY\r5D") << -1 << QStringList { "5: 2 40 'Y'" };
    QTest::newRow("a frame without A keeps the text") << QByteArray("\r5AX\r5D\r5C1\r5D") << -1 << QStringList { "5: 1 99 'X'" };
    QTest::newRow("boards in ascending numeric order") << QByteArray("\r10D\r9D\r010D") << -1
                                                       << QStringList { "9: 0 99 ''", "10: 0 99 ''" };
    QTest::newRow("one board only ignores the others") << QByteArray("\r10AX\r10D\r9AY\r9D") << 9 << QStringList { "9: 0 99 'Y'" };
    QTest::newRow("the text is Windows-1252") << QByteArray("\r5A\x80\xe9\x9c\r5D") << -1 << QStringList { QString::fromUtf8("5: 0 99 '€éœ'") };
}

void tst_BoardFace::boards()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, only);
    QFETCH(QStringList, shown);

    BoardSet set(only < 0 ? std::nullopt : std::optional<int>(only));
    for (const auto &event : BoardDecoder().feed(stream)) {
        if (const auto *frame = std::get_if<DecodedFrame>(&event))
            set.apply(*frame, 0);
    }
    QStringList actual;
    for (const auto &[number, display] : set.displays())
        actual << QStringLiteral("%1: %2 %3 '%4'").arg(number).arg(display.mode).arg(display.brightness).arg(display.text);
    QCOMPARE(actual, shown);
}

QTEST_APPLESS_MAIN(tst_BoardFace)
#include "tst_boardface.moc"
