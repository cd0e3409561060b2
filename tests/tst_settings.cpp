#include "rules/MainSettings.h"
#include "rules/WindowPlacement.h"

#include <QtTest>

class tst_Settings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void placement_data();
    void placement();
    void textsReadBackExactly_data();
    void textsReadBackExactly();
    void unchangedValuesAreNotRewritten();
    void garbageCountsAsAbsent_data();
    void garbageCountsAsAbsent();

private:
    QSettings store() const { return QSettings(QStringLiteral("VaroMsgBoard"), QStringLiteral("VaroMsgBoard")); }
};

void tst_Settings::init()
{
    QSettings settings(QStringLiteral("VaroMsgBoard"), QStringLiteral("VaroMsgBoard"));
    settings.clear();
    settings.sync();
}

void tst_Settings::placement_data()
{
    QTest::addColumn<QPointF>("stored");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QPoint>("placed");

    // A 1920 x 1080 pixel screen is 28800 x 16200 twips; the window 10200 x 2040.
    const QSize window(10200, 2040);
    const QPoint centre((28800 - 10200) / 2, (16200 - 2040) / 2);
    QTest::newRow("left -400 kept") << QPointF(-400, 300) << window << QPoint(-400, 300);
    QTest::newRow("left -401 centred") << QPointF(-401, 300) << window << centre;
    QTest::newRow("left W-400 kept") << QPointF(28400, 300) << window << QPoint(28400, 300);
    QTest::newRow("left W-399 centred") << QPointF(28401, 300) << window << centre;
    QTest::newRow("top -400 kept") << QPointF(300, -400) << window << QPoint(300, -400);
    QTest::newRow("top -401 centred") << QPointF(300, -401) << window << centre;
    QTest::newRow("top H-400 kept") << QPointF(300, 15800) << window << QPoint(300, 15800);
    QTest::newRow("top H-399 centred") << QPointF(300, 15801) << window << centre;
    QTest::newRow("absent position centred") << QPointF(-401, -401) << window << centre;
    QTest::newRow("fraction rounds to a whole twip") << QPointF(1500.4, 1499.6) << window << QPoint(1500, 1500);
    QTest::newRow("window wider than the screen: odd difference halved toward zero")
            << QPointF(-401, -401) << QSize(28815, 16201) << QPoint(-7, 0);
}

void tst_Settings::placement()
{
    QFETCH(QPointF, stored);
    QFETCH(QSize, window);
    QFETCH(QPoint, placed);

    QCOMPARE(WindowPlacement::restore(stored, QSize(28800, 16200), window), placed);
}

void tst_Settings::textsReadBackExactly_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("commas") << "one, two,three";
    QTest::newRow("quotes") << "say \"hi\" 'there'";
    QTest::newRow("backslashes") << "C:\\path\\n\\x41";
    QTest::newRow("leading @") << "@Variant(x)";
    QTest::newRow("leading and trailing spaces") << "  padded  ";
    QTest::newRow("semicolon and equals") << "a;b=c #d";
    QTest::newRow("non-ASCII letters") << QString::fromUtf8("Grüße, Zoë € 日本");
    QTest::newRow("empty") << "";
}

void tst_Settings::textsReadBackExactly()
{
    QFETCH(QString, text);

    MainSettings::Fields fields { text, text, text, 4 };
    MainSettings().save(QPoint(1500, 1500), fields);
    QCOMPARE(MainSettings().fields(), fields);

    // The same process may answer from a cache: read a copy of the file afresh.
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("copy.conf"));
    QVERIFY(QFile::copy(store().fileName(), copy));
    const QSettings fresh(copy, QSettings::NativeFormat);
    QCOMPARE(fresh.value(QStringLiteral("Settings/CurMsgText")).toString(), text);
    QCOMPARE(fresh.value(QStringLiteral("Settings/BrightText")).toString(), text);
}

void tst_Settings::unchangedValuesAreNotRewritten()
{
    // Equal in value, different in writing: a rewrite would show.
    store().setValue("Settings/MainLeft", "1500.0");
    store().setValue("Settings/PresentIndex", "02");
    MainSettings().save(QPoint(1500, 600), { "", "0", "99", 2 });

    QCOMPARE(store().value("Settings/MainLeft").toString(), QStringLiteral("1500.0"));
    QCOMPARE(store().value("Settings/PresentIndex").toString(), QStringLiteral("02"));
    QCOMPARE(store().value("Settings/MainTop").toString(), QStringLiteral("600"));
}

void tst_Settings::garbageCountsAsAbsent_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("left not a number") << "MainLeft" << "left";
    QTest::newRow("top empty") << "MainTop" << "";
    QTest::newRow("index not a number") << "PresentIndex" << "Center";
    QTest::newRow("index past the modes") << "PresentIndex" << "6";
    QTest::newRow("index negative") << "PresentIndex" << "-1";
    QTest::newRow("index a fraction") << "PresentIndex" << "2.5";
}

void tst_Settings::garbageCountsAsAbsent()
{
    QFETCH(QString, key);
    QFETCH(QString, value);

    store().setValue("Settings/MainLeft", "3000");
    store().setValue("Settings/MainTop", "4500");
    store().setValue("Settings/PresentIndex", "3");
    store().setValue("Settings/" + key, value);

    const MainSettings settings;
    const QPointF position = settings.position();
    QCOMPARE(position.x(), key == u"MainLeft" ? -401.0 : 3000.0);
    QCOMPARE(position.y(), key == u"MainTop" ? -401.0 : 4500.0);
    QCOMPARE(settings.fields().presentIndex, key == u"PresentIndex" ? 0 : 3);
}

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_settings.moc"
