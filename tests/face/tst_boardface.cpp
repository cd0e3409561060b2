#include "board/BoardSession.h"
#include "board/BoardWindow.h"
#include "common/Windows1252.h"
#include "face/GlyphTable.h"
#include "face/LedMatrix.h"

#include <QLabel>
#include <QtTest>

using namespace Qt::StringLiterals;

class tst_BoardFace : public QObject
{
    Q_OBJECT

private slots:
    // "leds": the LED rows from the top, '#' lit, joined by '/'; rows left out
    // are not checked. In the top row H is #...#, I is .###.
    void leds_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("brightness");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("ms");
        QTest::addColumn<QString>("leds");
        QTest::addColumn<int>("grey");

        const auto row = [](const char *name, int mode, int brightness, const QString &text, int columns, int ms,
                            const char *leds, int grey = 255) {
            QTest::newRow(name) << mode << brightness << text << columns << ms << QString(leds) << grey;
        };
        row("left", 0, 99, "HI", 3, 0, "#...#..###.......");
        row("right", 1, 99, "HI", 3, 0, "......#...#..###.");
        row("center, even free cells", 2, 99, "HI", 4, 0, "......#...#..###.......");
        row("center, odd free cells: spare cell on the right", 2, 99, "HI", 5, 0, "......#...#..###.............");
        row("right, wider than the display: first characters", 1, 99, "HIH", 2, 0, "#...#..###.");
        row("center, wider than the display: first character", 2, 99, "HIH", 1, 0, "#...#");
        row("brightness 00: every LED dark", 0, 0, "HI", 2, 0, "...........", 0);
        row("brightness 50: proportional, rounded", 0, 50, "HI", 2, 0, "#...#..###.", 129);
        row("brightness 02: rounded down", 0, 2, "HI", 2, 0, "#...#..###.", 5);
        row("slow crawl: empty at the start", 3, 99, "H", 2, 79, "...........", 0);
        row("slow crawl: first column enters at 80 ms", 3, 99, "H", 2, 80, "..........#");
        row("medium crawl: first column enters at 40 ms", 4, 99, "H", 2, 40, "..........#");
        row("fast crawl: last column about to leave", 5, 99, "H", 2, 300, "#..........");
        row("fast crawl: enters again, 20 ms a column", 5, 99, "H", 2, 340, "..........#");
        row("crawl: a text wider than the display is not cut", 5, 99, "HIH", 1, 20 * 9, "#..##");
        row("HI: upright, not mirrored, one dark column between", 0, 99, "HI", 2, 0,
            "#...#..###./#...#...#../#...#...#../#####...#../#...#...#../#...#...#../#...#..###.");
        row("control character and sign without glyph: placeholders", 0, 99, u"\x01§"_s, 2, 0,
            "#####.#####/#...#.#...#/#.#.#.#.#.#/#...#.#...#/#.#.#.#.#.#/#...#.#...#/#####.#####");
        row("accented capital: accent above the letter", 0, 99, u"ÉÖ"_s, 2, 0,
            "...#...#.#./..#......../#####..###./#.....#...#/####..#...#/#.....#...#/#####..###.");
    }

    void leds()
    {
        QFETCH(int, mode);
        QFETCH(int, brightness);
        QFETCH(QString, text);
        QFETCH(int, columns);
        QFETCH(int, ms);
        QFETCH(QString, leds);
        QFETCH(int, grey);

        const QImage image = LedMatrix::render(FaceState { mode, brightness, text }, columns, ms);
        QCOMPARE(image.size(), QSize(columns * 6 - 1, 7));
        QStringList rows;
        int brightest = 0;
        for (int y = 0; y < image.height(); ++y) {
            rows << QString();
            for (int x = 0; x < image.width(); ++x) {
                brightest = qMax(brightest, image.pixelColor(x, y).value());
                rows.last() += image.pixelColor(x, y).value() > 0 ? u'#' : u'.';
            }
        }
        QCOMPARE(rows.join(u'/').first(leds.size()), leds);
        QCOMPARE(brightest, grey);
    }

    // Every printable ASCII character and every Windows-1252 letter has a
    // glyph of its own; anything else shows the placeholder.
    void glyphs()
    {
        const auto key = [](const GlyphTable::Rows &rows) {
            return QByteArray(reinterpret_cast<const char *>(rows.data()), 7);
        };
        QHash<QByteArray, QChar> seen { { key(GlyphTable::placeholder()), u'?' } };
        for (int code = 0; code < 256; ++code) {
            const QChar ch = Windows1252::toUnicode(QByteArray(1, char(code))).at(0);
            const bool wanted = (code >= 0x20 && code < 0x7F) || ch.isLetter() || ch == u'€';
            QVERIFY2(GlyphTable::has(ch) == wanted, qPrintable(u"byte %1"_s.arg(code, 2, 16)));
            const QChar shown = seen.value(key(GlyphTable::rows(ch)), ch);
            QVERIFY2(shown == (wanted ? ch : u'?'), qPrintable(QString(ch) + u" looks like "_s + shown));
            seen.insert(key(GlyphTable::rows(ch)), shown);
        }
    }

    // A stream through the session into the window: what each board shows
    // and the counters the window gives.
    void boards_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("counters");

        QTest::newRow("unset: left, 99, blank; numeric order, 010 is 10")
                << QByteArray("\r10D\r9D\r010D") << "9: 0 99 '' | 10: 0 99 ''"
                << "3 frames, 0 errors";
        QTest::newRow("settings a frame does not carry are kept; errors counted")
                << QByteArray("x\r5C2\r5B40\r5AX\r5D\r5C1\r5AY\r5D\r5C9\r5D\r5Q\r") << "5: 1 40 'Y'"
                << "3 frames, 3 errors";
    }

    void boards()
    {
        QFETCH(QByteArray, stream);

        BoardArguments arguments = BoardArguments::parse({ u"UDP1"_s });
        BoardSession session(std::nullopt);
        const std::unique_ptr<BoardInput> input = BoardInput::create(arguments);
        BoardWindow window(arguments, *input, session);
        session.take(stream, u"test"_s, false);
        QStringList actual;
        for (const auto &[number, display] : session.boards().displays())
            actual << u"%1: %2 %3 '%4'"_s.arg(number).arg(display.mode).arg(display.brightness).arg(display.text);
        QTEST(actual.join(u" | "_s), "shown");
        QTEST(window.findChild<QLabel *>(u"Counters"_s)->text(), "counters");
    }
};

QTEST_MAIN(tst_BoardFace)
#include "tst_boardface.moc"
