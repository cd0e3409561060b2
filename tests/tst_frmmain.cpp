#include "WindowDriver.h"

#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

class tst_frmMain : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_ui.reset(); }

    void layout_data();
    void layout();
    void tabOrder();
    void enterSends_data();
    void enterSends();
    void enterOnExitAndEscapeClose_data();
    void enterOnExitAndEscapeClose();
    void controlCharactersAreKeptOut();
    void failedOpenLeavesNoTransport();
    void refusedWriteIsReported();

    void leavingInvalidFieldKeepsFocus_data();
    void leavingInvalidFieldKeepsFocus();
    void helpRunsNoCheck();
    void sendWithInvalidFieldsSendsNothing_data();
    void sendWithInvalidFieldsSendsNothing();
    void sendTidiesValidFields();

private:
    QLineEdit *field(const char *name) const { return m_ui->control<QLineEdit>(QLatin1String(name)); }

    std::unique_ptr<WindowDriver> m_ui;
};

static const QString boardMessage = QStringLiteral("INVALID BOARD NUMBER\rPlease enter a decimal number between 0 and 99");
static const QString brightMessage = QStringLiteral("INVALID BRIGHTNESS\rPlease enter a decimal number between 0 and 99");

void tst_frmMain::init()
{
    m_ui = std::make_unique<WindowDriver>();
    QVERIFY(m_ui->pty.isValid());
    QVERIFY(m_ui->start());
}

void tst_frmMain::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("CurMsg") << "CurMsg" << QRect(16, 26, 652, 21);
    QTest::newRow("Bright") << "Bright" << QRect(139, 74, 25, 22);
    QTest::newRow("Present") << "Present" << QRect(203, 72, 148, 21);
    QTest::newRow("Exit at 7057 twips") << "Exit" << QRect(470, 64, 88, 32);
    QTest::newRow("Label5") << "Label5" << QRect(164, 78, 14, 11);
}

void tst_frmMain::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);

    QCOMPARE(m_ui->control(name)->geometry(), geometry);
    QCOMPARE(m_ui->window->size(), QSize(678, 105));
}

void tst_frmMain::tabOrder()
{
    QVERIFY(m_ui->hasFocus(QStringLiteral("CurMsg")));
    for (const char *next : { "BoardNum", "Bright", "Present", "Help", "Exit", "Send", "CurMsg" }) {
        m_ui->press(Qt::Key_Tab);
        QVERIFY2(m_ui->hasFocus(QLatin1String(next)), next);
    }
}

void tst_frmMain::enterSends_data()
{
    QTest::addColumn<int>("tabs");
    QTest::addColumn<int>("key");

    QTest::newRow("Return in CurMsg") << 0 << int(Qt::Key_Return);
    QTest::newRow("keypad Enter in BoardNum") << 1 << int(Qt::Key_Enter);
    QTest::newRow("Return in Present") << 3 << int(Qt::Key_Return);
    QTest::newRow("Return on SEND") << 6 << int(Qt::Key_Return);
}

void tst_frmMain::enterSends()
{
    QFETCH(int, tabs);
    QFETCH(int, key);

    m_ui->control<QComboBox>(QStringLiteral("CurMsg"))->setEditText(QStringLiteral("  HELLO  "));
    field("BoardNum")->setText(QStringLiteral("5"));
    field("Bright")->setText(QStringLiteral("75"));
    m_ui->control<QComboBox>(QStringLiteral("Present"))->setCurrentIndex(2);
    for (int i = 0; i < tabs; ++i)
        m_ui->press(Qt::Key_Tab);
    m_ui->press(key);

    QCOMPARE(m_ui->pty.read(), QByteArray("\r5C2\r5B75\r5AHELLO\r5D"));
    QVERIFY(m_ui->window->isVisible());
}

void tst_frmMain::enterOnExitAndEscapeClose_data()
{
    QTest::addColumn<int>("tabs");
    QTest::addColumn<int>("key");

    QTest::newRow("Return on EXIT") << 5 << int(Qt::Key_Return);
    QTest::newRow("Esc in CurMsg") << 0 << int(Qt::Key_Escape);
}

void tst_frmMain::enterOnExitAndEscapeClose()
{
    QFETCH(int, tabs);
    QFETCH(int, key);

    for (int i = 0; i < tabs; ++i)
        m_ui->press(Qt::Key_Tab);
    m_ui->press(key);
    QTRY_VERIFY(!m_ui->window);
    QCOMPARE(m_ui->pty.read(), QByteArray());
}

void tst_frmMain::controlCharactersAreKeptOut()
{
    auto *curMsg = m_ui->control<QComboBox>(QStringLiteral("CurMsg"));
    QApplication::clipboard()->setText(QStringLiteral("one\r\ntwo\nthree\x01\x7f!"));
    curMsg->clearEditText();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(curMsg->currentText(), QStringLiteral("one two three!"));

    field("BoardNum")->setText(QStringLiteral("1\r2\t"));
    QCOMPARE(field("BoardNum")->text(), QStringLiteral("1 2"));
}

void tst_frmMain::failedOpenLeavesNoTransport()
{
    m_ui.reset();
    m_ui = std::make_unique<WindowDriver>();
    QVERIFY(m_ui->start(QStringLiteral("tcp80")));

    QCOMPARE(m_ui->boxes.size(), 1);
    QCOMPARE(m_ui->boxes.first().icon, QMessageBox::Critical);
    QCOMPARE(m_ui->boxes.first().title, QStringLiteral("VaroMsgBoard"));
    QCOMPARE(m_ui->control<QLabel>(QStringLiteral("CommUse"))->text(), QStringLiteral("Using NONE"));
    QCOMPARE(m_ui->control(QStringLiteral("CommUse"))->x(), 604);
    QVERIFY(!m_ui->control(QStringLiteral("Send"))->isEnabled());
    m_ui->press(Qt::Key_Return);
    QCOMPARE(m_ui->boxes.size(), 1);
}

void tst_frmMain::refusedWriteIsReported()
{
    m_ui->pty.closeMaster();
    m_ui->click(QStringLiteral("Send"));

    QCOMPARE(m_ui->boxes.size(), 1);
    QCOMPARE(m_ui->boxes.first().icon, QMessageBox::Critical);
    QCOMPARE(m_ui->boxes.first().text.section(u'\r', 0, 0), QStringLiteral("Unable to send to COM7"));
    QVERIFY(!m_ui->boxes.first().text.section(u'\r', 1).isEmpty());
    m_ui->press(Qt::Key_Return);
    QCOMPARE(m_ui->boxes.size(), 2);  // the window goes on working
}

void tst_frmMain::leavingInvalidFieldKeepsFocus_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("leave");  // a key, or the control clicked
    QTest::addColumn<QString>("message");

    QTest::newRow("Tab out of board abc") << "BoardNum" << "abc" << "Tab" << boardMessage;
    QTest::newRow("Shift+Tab out of brightness 100") << "Bright" << "100" << "Backtab" << brightMessage;
    QTest::newRow("click SEND with board 4 2") << "BoardNum" << " 4 2 " << "Send" << boardMessage;
    QTest::newRow("click EXIT with brightness -1") << "Bright" << "-1" << "Exit" << brightMessage;
    QTest::newRow("click CurMsg with board 100") << "BoardNum" << "100" << "CurMsg" << boardMessage;
}

void tst_frmMain::leavingInvalidFieldKeepsFocus()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, leave);
    QFETCH(QString, message);

    auto *edit = m_ui->control<QLineEdit>(name);
    edit->setFocus();
    edit->clear();
    m_ui->type(text);
    if (leave == u"Tab" || leave == u"Backtab")
        m_ui->press(leave == u"Tab" ? Qt::Key_Tab : Qt::Key_Backtab);
    else
        m_ui->click(leave);

    QCOMPARE(m_ui->boxTexts(), QStringList{ message });
    QCOMPARE(m_ui->boxes.first().icon, QMessageBox::NoIcon);
    QVERIFY(m_ui->hasFocus(name));
    QCOMPARE(edit->text(), text);
    QVERIFY(m_ui->window);
    QCOMPARE(m_ui->pty.read(), QByteArray());
}

void tst_frmMain::helpRunsNoCheck()
{
    field("BoardNum")->setText(QStringLiteral("abc"));
    field("BoardNum")->setFocus();
    m_ui->click(QStringLiteral("Help"));

    auto *menu = m_ui->control<QMenu>(QStringLiteral("MnuHelp"));
    QTRY_VERIFY(menu->isVisible());
    menu->close();
    QCOMPARE(m_ui->boxTexts(), QStringList());
}

void tst_frmMain::sendWithInvalidFieldsSendsNothing_data()
{
    QTest::addColumn<QString>("board");
    QTest::addColumn<QString>("bright");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("focus");

    QTest::newRow("board abc") << "abc" << "50" << QStringList{ boardMessage } << "BoardNum";
    QTest::newRow("brightness 100") << "5" << "100" << QStringList{ brightMessage } << "Bright";
    QTest::newRow("both: board first") << "1 2" << "x" << QStringList{ boardMessage, brightMessage } << "BoardNum";
}

void tst_frmMain::sendWithInvalidFieldsSendsNothing()
{
    QFETCH(QString, board);
    QFETCH(QString, bright);
    QFETCH(QStringList, messages);
    QFETCH(QString, focus);

    field("BoardNum")->setText(board);
    field("Bright")->setText(bright);
    m_ui->press(Qt::Key_Return);

    QCOMPARE(m_ui->boxTexts(), messages);
    QCOMPARE(m_ui->pty.read(), QByteArray());
    QVERIFY(m_ui->hasFocus(focus));
}

void tst_frmMain::sendTidiesValidFields()
{
    m_ui->control<QComboBox>(QStringLiteral("CurMsg"))->setEditText(QStringLiteral("HI"));
    field("BoardNum")->setText(QStringLiteral(" 42 "));
    field("Bright")->clear();
    field("BoardNum")->setFocus();
    m_ui->press(Qt::Key_Return);

    QCOMPARE(m_ui->boxTexts(), QStringList());
    QCOMPARE(field("BoardNum")->text(), QStringLiteral("42"));
    QCOMPARE(field("Bright")->text(), QStringLiteral("99"));
    QCOMPARE(m_ui->pty.read(), QByteArray("\r42C0\r42B99\r42AHI\r42D"));
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmmain.moc"
