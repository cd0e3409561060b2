#include "WindowDriver.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

class tst_Restart : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void everythingComesBack();
    void untouchedFirstStartWritesOnlyThePosition();
    void minimizedCloseKeepsThePosition();
    void keyboardChoiceFromTheListIsNotASend();
    void sendRecordsTheMessageEvenWhenACheckFails();
    void failedListSaveIsReported();

private:
    void writeListFile(const QByteArray &bytes);
    QByteArray readListFile() const;
    QComboBox *curMsg() const { return m_ui->control<QComboBox>(QStringLiteral("CurMsg")); }
    QStringList history() const;
    void closeAndStartAgain();

    std::unique_ptr<WindowDriver> m_ui;
};

void tst_Restart::init()
{
    m_ui = std::make_unique<WindowDriver>();
    QVERIFY(m_ui->pty.isValid());
}

void tst_Restart::cleanup()
{
    m_ui.reset();
    QDir(WindowDriver::listFile()).removeRecursively();
}

void tst_Restart::writeListFile(const QByteArray &bytes)
{
    QFile file(WindowDriver::listFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray tst_Restart::readListFile() const
{
    QFile file(WindowDriver::listFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

QStringList tst_Restart::history() const
{
    QStringList entries;
    for (int i = 0; i < curMsg()->count(); ++i)
        entries << curMsg()->itemText(i);
    return entries;
}

void tst_Restart::closeAndStartAgain()
{
    m_ui->press(Qt::Key_Escape);
    QTRY_VERIFY(!m_ui->window);
    QVERIFY(m_ui->start());
}

void tst_Restart::everythingComesBack()
{
    QVERIFY(m_ui->start());
    curMsg()->clearEditText();
    m_ui->type(QStringLiteral("first"));
    m_ui->press(Qt::Key_Tab);
    m_ui->press(Qt::Key_Backtab);
    curMsg()->clearEditText();
    m_ui->type(QStringLiteral(" second, \"quoted\" "));
    m_ui->press(Qt::Key_Tab);
    m_ui->control<QLineEdit>(QStringLiteral("BoardNum"))->setText(QStringLiteral("12"));
    m_ui->control<QLineEdit>(QStringLiteral("Bright"))->setText(QStringLiteral("040"));
    m_ui->control<QComboBox>(QStringLiteral("Present"))->setCurrentIndex(3);
    m_ui->window->move(150, 120);
    const QStringList entries{ " second, \"quoted\" ", "first" };
    QCOMPARE(history(), entries);

    closeAndStartAgain();

    QCOMPARE(history(), entries);
    QCOMPARE(curMsg()->currentText(), entries.first());
    QCOMPARE(m_ui->control<QLineEdit>(QStringLiteral("BoardNum"))->text(), QStringLiteral("12"));
    QCOMPARE(m_ui->control<QLineEdit>(QStringLiteral("Bright"))->text(), QStringLiteral("040"));
    QCOMPARE(m_ui->control<QComboBox>(QStringLiteral("Present"))->currentIndex(), 3);
    QCOMPARE(m_ui->window->pos(), QPoint(150, 120));
    QCOMPARE(readListFile(), QByteArray(" second, \"quoted\" \r\nfirst\r\n"));
}

void tst_Restart::untouchedFirstStartWritesOnlyThePosition()
{
    QVERIFY(m_ui->start());
    QCOMPARE(m_ui->control<QLineEdit>(QStringLiteral("Bright"))->text(), QStringLiteral("99"));
    QCOMPARE(m_ui->control<QComboBox>(QStringLiteral("Present"))->currentIndex(), 0);
    QCOMPARE(curMsg()->currentText(), QString());
    m_ui->press(Qt::Key_Escape);
    QTRY_VERIFY(!m_ui->window);

    QSettings store(QStringLiteral("VaroMsgBoard"), QStringLiteral("VaroMsgBoard"));
    store.remove(QStringLiteral("Ports"));
    QCOMPARE(store.allKeys(), QStringList({ "Settings/MainLeft", "Settings/MainTop" }));
    QCOMPARE(readListFile(), QByteArray("(no file)"));
}

void tst_Restart::minimizedCloseKeepsThePosition()
{
    QSettings store(QStringLiteral("VaroMsgBoard"), QStringLiteral("VaroMsgBoard"));
    store.setValue(QStringLiteral("Settings/MainLeft"), QStringLiteral("1515"));
    store.setValue(QStringLiteral("Settings/MainTop"), QStringLiteral("3030"));
    store.sync();
    QVERIFY(m_ui->start());
    QCOMPARE(m_ui->window->pos(), QPoint(101, 202));
    m_ui->window->move(300, 300);
    m_ui->window->showMinimized();
    m_ui->window->close();
    QTRY_VERIFY(!m_ui->window);

    store.sync();
    QCOMPARE(store.value(QStringLiteral("Settings/MainLeft")).toString(), QStringLiteral("1515"));
    QCOMPARE(store.value(QStringLiteral("Settings/MainTop")).toString(), QStringLiteral("3030"));
}

void tst_Restart::keyboardChoiceFromTheListIsNotASend()
{
    writeListFile("a\r\nb\r\nc\r\nd\r\n");
    QVERIFY(m_ui->start());
    QVERIFY(m_ui->hasFocus(QStringLiteral("CurMsg")));

    // Esc closes the open list only, not the window.
    m_ui->press(Qt::Key_F4);
    QTRY_VERIFY(curMsg()->view()->isVisible());
    m_ui->press(Qt::Key_Escape);
    QTRY_VERIFY(!curMsg()->view()->isVisible());
    QTest::qWait(50);
    QVERIFY(m_ui->window);

    m_ui->press(Qt::Key_Down, Qt::AltModifier);
    QTRY_VERIFY(curMsg()->view()->isVisible());
    m_ui->press(Qt::Key_Down);
    m_ui->press(Qt::Key_Down);
    m_ui->press(Qt::Key_Down);
    m_ui->press(Qt::Key_Return);
    QTRY_VERIFY(!curMsg()->view()->isVisible());

    QCOMPARE(curMsg()->currentText(), QStringLiteral("d"));
    QCOMPARE(history(), QStringList({ "d", "a", "b", "c" }));
    QCOMPARE(m_ui->pty.read(), QByteArray());
    QCOMPARE(m_ui->boxTexts(), QStringList());

    m_ui->press(Qt::Key_Escape);
    QTRY_VERIFY(!m_ui->window);
    QCOMPARE(readListFile(), QByteArray("d\r\na\r\nb\r\nc\r\n"));
}

void tst_Restart::sendRecordsTheMessageEvenWhenACheckFails()
{
    QVERIFY(m_ui->start());
    m_ui->control<QLineEdit>(QStringLiteral("BoardNum"))->setText(QStringLiteral("abc"));
    curMsg()->setEditText(QStringLiteral("kept"));
    m_ui->press(Qt::Key_Return);

    QCOMPARE(m_ui->boxes.size(), 1);
    QCOMPARE(history(), QStringList{ "kept" });
    QCOMPARE(m_ui->pty.read(), QByteArray());
}

void tst_Restart::failedListSaveIsReported()
{
    // A folder where the file should be: it cannot be created.
    QVERIFY(QDir().mkpath(WindowDriver::listFile()));
    QVERIFY(m_ui->start());
    curMsg()->setEditText(QStringLiteral("new"));
    m_ui->press(Qt::Key_Tab);
    m_ui->press(Qt::Key_Escape);
    QTRY_VERIFY(!m_ui->window);

    QCOMPARE(m_ui->boxes.size(), 1);
    const QStringList lines = m_ui->boxes.first().text.split(u'\r');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), QStringLiteral("Unable to create message list file"));
    QCOMPARE(lines.at(1), u'"' + WindowDriver::listFile() + u'"');
    QVERIFY(!lines.at(2).isEmpty());
    QCOMPARE(m_ui->boxes.first().icon, QMessageBox::NoIcon);
    QCOMPARE(m_ui->boxes.first().title, QStringLiteral("VaroMsgBoard"));
}

QTEST_MAIN(tst_Restart)
#include "tst_restart.moc"
