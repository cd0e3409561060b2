#include "messages/FieldCheck.h"
#include "messages/modUtils.h"

#include <QtTest>

class tst_FieldCheck : public QObject
{
    Q_OBJECT

private slots:
    void parseDecimal_data();
    void parseDecimal();
    void passes_data();
    void passes();
    void fails_data();
    void fails();
};

void tst_FieldCheck::parseDecimal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("end");

    QTest::newRow("12ab stops at the letter") << "12ab" << 1 << 12 << 3;
    QTest::newRow("spaces before the digits are skipped") << "   5" << 1 << 5 << 5;
    QTest::newRow("empty text") << "" << 1 << 0 << 1;
    QTest::newRow("start in the middle") << "x42" << 2 << 42 << 4;
    QTest::newRow("sign is not a digit") << "-5" << 1 << 0 << 1;
    QTest::newRow("32767 fits") << "32767" << 1 << 32767 << 6;
    QTest::newRow("32768 leaves its last digit") << "32768" << 1 << 3276 << 5;
    QTest::newRow("five nines leave the fifth") << "99999" << 1 << 9999 << 5;
    QTest::newRow("tab is not skipped") << "\t7" << 1 << 0 << 1;
    QTest::newRow("Arabic-Indic digit is not a digit") << QString::fromUtf8("\u0663") << 1 << 0 << 1;
    QTest::newRow("tab stops the skipping") << " \t5" << 1 << 0 << 2;
    QTest::newRow("start past the end") << "ab" << 5 << 0 << 5;
    QTest::newRow("colon after 9 is not a digit") << "9:" << 1 << 9 << 2;
    QTest::newRow("fullwidth digit is not a digit") << QString::fromUtf8("\uFF11") << 1 << 0 << 1;
    QTest::newRow("spaces stop at 32767") << QString(40000, u' ') << 1 << 0 << 32767;
    QTest::newRow("position cannot pass 32767")
            << QString(40000, u'0') << 1 << 0 << 32767;
}

void tst_FieldCheck::parseDecimal()
{
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, value);
    QFETCH(int, end);

    qint16 position = qint16(start);
    QCOMPARE(int(modUtils::ParseDecimal(text, position)), value);
    QCOMPARE(int(position), end);
}

void tst_FieldCheck::passes_data()
{
    QTest::addColumn<bool>("board");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");

    QTest::newRow("42 stays") << true << "42" << "42";
    QTest::newRow("spaces around 42 go") << true << " 42 " << "42";
    QTest::newRow("007 keeps its zeros") << true << "007" << "007";
    QTest::newRow("0000099 stays as typed") << true << "0000099" << "0000099";
    QTest::newRow("99 is the highest") << false << "99" << "99";
    QTest::newRow("empty board becomes 0") << true << "" << "0";
    QTest::newRow("spaces-only board becomes 0") << true << "   " << "0";
    QTest::newRow("empty brightness becomes 99") << false << "" << "99";
    QTest::newRow("spaces-only brightness becomes 99") << false << "  " << "99";
}

void tst_FieldCheck::passes()
{
    QFETCH(bool, board);
    QFETCH(QString, typed);
    QFETCH(QString, written);

    const FieldCheck &check = board ? FieldCheck::boardNumber() : FieldCheck::brightness();
    const FieldCheck::Outcome outcome = check.check(typed);
    QVERIFY(outcome.passes);
    QCOMPARE(outcome.text, written);
}

void tst_FieldCheck::fails_data()
{
    QTest::addColumn<QString>("typed");

    QTest::newRow("100") << "100";
    QTest::newRow("digits with a space between") << "1 2";
    QTest::newRow("minus sign") << "-5";
    QTest::newRow("plus sign") << "+5";
    QTest::newRow("letter before") << "a5";
    QTest::newRow("letter after") << "5a";
    QTest::newRow("letters only") << "abc";
    QTest::newRow("five nines") << "99999";
    QTest::newRow("tab before the digits") << "\t5";
    QTest::newRow("32767 zeros") << QString(32767, u'0');
    QTest::newRow("32766 zeros and a 5") << QString(32766, u'0') + u'5';
}

void tst_FieldCheck::fails()
{
    QFETCH(QString, typed);

    QVERIFY(!FieldCheck::boardNumber().check(typed).passes);
    QVERIFY(!FieldCheck::brightness().check(typed).passes);
}

QTEST_APPLESS_MAIN(tst_FieldCheck)
#include "tst_fieldcheck.moc"
