#include "WindowDriver.h"

#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <memory>

class tst_frmMain : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layout_data();
    void layout();
    void presentationModesInOrder();
    void helpMenuItems();
    void tabOrder();
    void resizingMovesNothing();

    void enterSendsFromAnyField_data();
    void enterSendsFromAnyField();
    void enterOnAButtonPressesThatButton();
    void escapeCloses();
    void enterRecordsTypedTextOnce();
    void controlCharactersAreKeptOut();

    void failedOpenLeavesNoTransport();
    void refusedWriteIsReported();

private:
    bool start(const QString &commandLine) { return m_ui->start(commandLine); }
    template<typename T = QWidget> T *control(const char *name) const
    {
        return m_ui->control<T>(QLatin1String(name));
    }
    bool hasFocus(const char *name) const { return m_ui->hasFocus(QLatin1String(name)); }
    void press(int key) { m_ui->press(key); }

    std::unique_ptr<WindowDriver> m_ui;
};

void tst_frmMain::init()
{
    m_ui = std::make_unique<WindowDriver>();
    QVERIFY(m_ui->pty.isValid());
}

void tst_frmMain::cleanup()
{
    m_ui.reset();
}

void tst_frmMain::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");

    QTest::newRow("Label1") << "Label1" << QRect(16, 12, 288, 15) << "Current Message";
    QTest::newRow("CurMsg") << "CurMsg" << QRect(16, 26, 652, 21) << QString();
    QTest::newRow("BoardNum") << "BoardNum" << QRect(16, 74, 88, 22) << QString();
    QTest::newRow("Bright") << "Bright" << QRect(139, 74, 25, 22) << QString();
    QTest::newRow("Label4") << "Label4" << QRect(203, 58, 78, 15) << "Presentation";
    QTest::newRow("Present") << "Present" << QRect(203, 72, 148, 21) << QString();
    QTest::newRow("Help") << "Help" << QRect(362, 64, 88, 32) << "HELP";
    QTest::newRow("Exit") << "Exit" << QRect(470, 64, 88, 32) << "EXIT";
    QTest::newRow("Send") << "Send" << QRect(579, 64, 88, 32) << "SEND";
    QTest::newRow("Label5") << "Label5" << QRect(164, 78, 14, 11) << "%";
}

void tst_frmMain::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);

    QVERIFY(start(QStringLiteral("COM7")));
    QWidget *widget = m_ui->control(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
    if (auto *label = qobject_cast<QLabel *>(widget))
        QCOMPARE(label->text(), text);
    if (auto *button = qobject_cast<QPushButton *>(widget))
        QCOMPARE(button->text(), text);
    QCOMPARE(m_ui->window->windowTitle(), QStringLiteral("Varo Message Board V2.1"));
    QCOMPARE(m_ui->window->size(), QSize(678, 105));
}

void tst_frmMain::presentationModesInOrder()
{
    QVERIFY(start(QStringLiteral("COM7")));
    auto *present = control<QComboBox>("Present");
    QVERIFY(!present->isEditable());
    QStringList entries;
    for (int i = 0; i < present->count(); ++i)
        entries << present->itemText(i);
    QCOMPARE(entries, QStringList({ "Left Justify", "Right Justify", "Center", "Slow crawl from Right",
                                    "Medium crawl from Right", "Fast crawl from Right" }));
    QCOMPARE(control<QLabel>("CommUse")->text(), QStringLiteral("Using "));
}

void tst_frmMain::helpMenuItems()
{
    QVERIFY(start(QStringLiteral("COM7")));
    auto *menu = control<QMenu>("MnuHelp");
    QVERIFY(menu);
    QStringList items;
    for (const QAction *action : menu->actions())
        items << action->objectName() + u'=' + (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(items, QStringList({ "mnuHelpTopics=Help Topics...", "mnuHelpDiv1=-", "mnuHelpWeb=Varo on the Web",
                                  "MnuHelpDiv2=-", "MnuHelpAbout=About Varo Message Board..." }));
}

void tst_frmMain::tabOrder()
{
    QVERIFY(start(QStringLiteral("COM7")));
    QVERIFY(hasFocus("CurMsg"));
    for (const char *next : { "BoardNum", "Bright", "Present", "Help", "Exit", "Send", "CurMsg" }) {
        press(Qt::Key_Tab);
        QVERIFY2(hasFocus(next), next);
    }
}

void tst_frmMain::resizingMovesNothing()
{
    QVERIFY(start(QStringLiteral("COM7")));
    const QRect send = control<QWidget>("Send")->geometry();
    const QRect curMsg = control<QWidget>("CurMsg")->geometry();
    m_ui->window->resize(1200, 600);
    QTest::qWait(50);
    QCOMPARE(control<QWidget>("Send")->geometry(), send);
    QCOMPARE(control<QWidget>("CurMsg")->geometry(), curMsg);
}

void tst_frmMain::enterSendsFromAnyField_data()
{
    QTest::addColumn<int>("tabs");
    QTest::addColumn<int>("key");

    QTest::newRow("Return in CurMsg") << 0 << int(Qt::Key_Return);
    QTest::newRow("keypad Enter in CurMsg") << 0 << int(Qt::Key_Enter);
    QTest::newRow("Return in BoardNum") << 1 << int(Qt::Key_Return);
    QTest::newRow("Return in Bright") << 2 << int(Qt::Key_Return);
    QTest::newRow("Return in Present") << 3 << int(Qt::Key_Return);
    QTest::newRow("Return on SEND") << 6 << int(Qt::Key_Return);
}

void tst_frmMain::enterSendsFromAnyField()
{
    QFETCH(int, tabs);
    QFETCH(int, key);

    QVERIFY(start(QStringLiteral("COM7")));
    control<QComboBox>("CurMsg")->setEditText(QStringLiteral("  HELLO  "));
    control<QLineEdit>("BoardNum")->setText(QStringLiteral("5"));
    control<QLineEdit>("Bright")->setText(QStringLiteral("75"));
    control<QComboBox>("Present")->setCurrentIndex(2);
    for (int i = 0; i < tabs; ++i)
        press(Qt::Key_Tab);
    press(key);

    QCOMPARE(m_ui->pty.read(), QByteArray("\r5C2\r5B75\r5AHELLO\r5D"));
    QVERIFY(m_ui->window->isVisible());
    QVERIFY(m_ui->boxes.isEmpty());
}

void tst_frmMain::enterOnAButtonPressesThatButton()
{
    QVERIFY(start(QStringLiteral("COM7")));
    for (int i = 0; i < 5; ++i)
        press(Qt::Key_Tab);
    QVERIFY(hasFocus("Exit"));
    press(Qt::Key_Return);
    QTRY_VERIFY(!m_ui->window);
    QCOMPARE(m_ui->pty.read(), QByteArray());
}

void tst_frmMain::escapeCloses()
{
    QVERIFY(start(QStringLiteral("COM7")));
    press(Qt::Key_Escape);
    QTRY_VERIFY(!m_ui->window);
    QCOMPARE(m_ui->pty.read(), QByteArray());
}

void tst_frmMain::enterRecordsTypedTextOnce()
{
    QVERIFY(start(QStringLiteral("COM7")));
    auto *curMsg = control<QComboBox>("CurMsg");
    curMsg->clearEditText();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("typed"));
    press(Qt::Key_Return);
    press(Qt::Key_Return);
    QCOMPARE(curMsg->currentText(), QStringLiteral("typed"));
    QCOMPARE(curMsg->count(), 1);
    QCOMPARE(curMsg->itemText(0), QStringLiteral("typed"));
    QCOMPARE(m_ui->pty.read().count("Atyped\r"), 2);
}

void tst_frmMain::controlCharactersAreKeptOut()
{
    QVERIFY(start(QStringLiteral("COM7")));
    auto *board = control<QLineEdit>("BoardNum");
    auto *curMsg = control<QComboBox>("CurMsg");

    QApplication::clipboard()->setText(QStringLiteral("one\r\ntwo\nthree\x01\x7f!"));
    curMsg->clearEditText();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(curMsg->currentText(), QStringLiteral("one two three!"));

    board->clear();
    board->setFocus();
    QTest::keyClick(board, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(board->text(), QStringLiteral("one two three!"));
    QTest::keyClick(board, Qt::Key_Tab, Qt::NoModifier);
    board->setText(QStringLiteral("1\r2"));
    QCOMPARE(board->text(), QStringLiteral("1 2"));
}

void tst_frmMain::failedOpenLeavesNoTransport()
{
    QVERIFY(start(QStringLiteral("tcp80")));
    QCOMPARE(m_ui->boxes.size(), 1);
    QCOMPARE(m_ui->boxes.first().icon, QMessageBox::Critical);
    QCOMPARE(m_ui->boxes.first().title, QStringLiteral("VaroMsgBoard"));
    QVERIFY(m_ui->boxes.first().text.startsWith(QStringLiteral("The command line argument \"tcp80\"is not")));
    QCOMPARE(control<QLabel>("CommUse")->text(), QStringLiteral("Using NONE"));
    QVERIFY(!control<QPushButton>("Send")->isEnabled());
    QCOMPARE(m_ui->window->CommMode(), 0);

    press(Qt::Key_Return);
    QCOMPARE(m_ui->boxes.size(), 1);
    QVERIFY(m_ui->window->isVisible());
}

void tst_frmMain::refusedWriteIsReported()
{
    QVERIFY(start(QStringLiteral("COM7")));
    QCOMPARE(m_ui->window->CommMode(), 1);
    m_ui->pty.closeMaster();

    QTest::mouseClick(control<QPushButton>("Send"), Qt::LeftButton);
    QCOMPARE(m_ui->boxes.size(), 1);
    QCOMPARE(m_ui->boxes.first().icon, QMessageBox::Critical);
    QCOMPARE(m_ui->boxes.first().text.section(u'\r', 0, 0), QStringLiteral("Unable to send to COM7"));
    QVERIFY(!m_ui->boxes.first().text.section(u'\r', 1).isEmpty());

    QVERIFY(m_ui->window->isVisible());
    press(Qt::Key_Return);
    QCOMPARE(m_ui->boxes.size(), 2);
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
