#include "messages/MessageHistory.h"

#include <QtTest>

class tst_History : public QObject
{
    Q_OBJECT

private slots:
    void add_data();
    void add();
    void thirtyNewMessagesAreAllKept();
};

void tst_History::add_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<bool>("changed");

    const QStringList abcd{ "a", "b", "c", "d" };
    QTest::newRow("first message") << QStringList() << "a" << QStringList{ "a" } << true;
    QTest::newRow("new message goes on top") << abcd << "e" << QStringList{ "e", "a", "b", "c", "d" } << true;
    QTest::newRow("repeat of the top changes nothing") << abcd << "a" << abcd << false;
    QTest::newRow("fourth entry moves to the top")
            << abcd << "d" << QStringList{ "d", "a", "b", "c" } << true;
    QTest::newRow("second entry moves to the top")
            << abcd << "b" << QStringList{ "b", "a", "c", "d" } << true;
    QTest::newRow("case differs: a new entry") << abcd << "A" << QStringList{ "A", "a", "b", "c", "d" } << true;
    QTest::newRow("trailing space: a new entry")
            << abcd << "a " << QStringList{ "a ", "a", "b", "c", "d" } << true;
    QTest::newRow("empty text records nothing") << abcd << "" << abcd << false;
    QTest::newRow("spaces are a message") << abcd << "  " << QStringList{ "  ", "a", "b", "c", "d" } << true;
}

void tst_History::add()
{
    QFETCH(QStringList, before);
    QFETCH(QString, text);
    QFETCH(QStringList, after);
    QFETCH(bool, changed);

    MessageHistory history;
    for (auto entry = before.crbegin(); entry != before.crend(); ++entry)
        history.add(*entry);
    QCOMPARE(history.entries(), before);

    QCOMPARE(history.add(text), changed);
    QCOMPARE(history.entries(), after);
}

void tst_History::thirtyNewMessagesAreAllKept()
{
    MessageHistory history;
    QStringList newestFirst;
    for (int i = 1; i <= 30; ++i) {
        QVERIFY(history.add(QString::number(i)));
        newestFirst.prepend(QString::number(i));
    }
    QCOMPARE(history.entries(), newestFirst);
}

QTEST_APPLESS_MAIN(tst_History)
#include "tst_history.moc"
