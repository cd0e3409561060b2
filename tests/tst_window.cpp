#include "WindowDriver.h"
#include "app/modMain.h"
#include "info/frmSplash.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

// The main window driven as an operator would: keys, clicks, the boxes it
// shows, what reaches the line, and what survives a restart.
class tst_Window : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_ui.reset(); }

    void keysSendOrClose_data();
    void keysSendOrClose();
    void leavingAnInvalidField_data();
    void leavingAnInvalidField();
    void sendWithInvalidFieldsSendsNothing();
    void typedTextIsKeptWhole();
    void failuresAreShownAndTheWindowGoesOn();
    void splashCoversTheFirstSecond();
    void everythingComesBackAfterARestart();
    void untouchedFirstStartWritesOnlyThePosition();
    void chosenFromTheListWithKeys();
    void helpMenuAndAbout();

private:
    QLineEdit *field(const char *name) const { return m_ui->control<QLineEdit>(QLatin1String(name)); }
    QComboBox *combo(const char *name) const { return m_ui->control<QComboBox>(QLatin1String(name)); }
    void restart();

    std::unique_ptr<WindowDriver> m_ui;
};

static const QString boardMessage = QStringLiteral("INVALID BOARD NUMBER\rPlease enter a decimal number between 0 and 99");
static const QString brightMessage = QStringLiteral("INVALID BRIGHTNESS\rPlease enter a decimal number between 0 and 99");

void tst_Window::init()
{
    m_ui = std::make_unique<WindowDriver>();
    QVERIFY(m_ui->pty.isValid());
}

void tst_Window::restart()
{
    m_ui->press(Qt::Key_Escape);
    QTRY_VERIFY(!m_ui->window);
    QVERIFY(m_ui->start());
}

void tst_Window::keysSendOrClose_data()
{
    QTest::addColumn<int>("tabs");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closes");

    QTest::newRow("Return in CurMsg sends") << 0 << int(Qt::Key_Return) << false;
    QTest::newRow("keypad Enter in BoardNum sends") << 1 << int(Qt::Key_Enter) << false;
    QTest::newRow("Return in Present sends") << 3 << int(Qt::Key_Return) << false;
    QTest::newRow("Return on SEND sends") << 6 << int(Qt::Key_Return) << false;
    QTest::newRow("Return on EXIT closes") << 5 << int(Qt::Key_Return) << true;
    QTest::newRow("Esc closes") << 0 << int(Qt::Key_Escape) << true;
}

void tst_Window::keysSendOrClose()
{
    QFETCH(int, tabs);
    QFETCH(int, key);
    QFETCH(bool, closes);

    QVERIFY(m_ui->start());
    QCOMPARE(m_ui->window->windowTitle(), QStringLiteral("Varo Message Board V2.1"));
    combo("CurMsg")->setEditText(QStringLiteral("  HELLO  "));
    field("BoardNum")->setText(QStringLiteral(" 5"));
    field("Bright")->setText(QStringLiteral("75"));
    combo("Present")->setCurrentIndex(2);
    const char *order[] = { "CurMsg", "BoardNum", "Bright", "Present", "Help", "Exit", "Send" };
    for (int i = 0; i < tabs; ++i)
        m_ui->press(Qt::Key_Tab);
    QVERIFY(m_ui->hasFocus(QLatin1String(order[tabs])));
    m_ui->press(key);

    QCOMPARE(m_ui->pty.read(), closes ? QByteArray() : QByteArray("\r5C2\r5B75\r5AHELLO\r5D"));
    QCOMPARE(!m_ui->window, closes);
    QCOMPARE(m_ui->boxTexts(), QStringList());
}

void tst_Window::leavingAnInvalidField_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("leave");  // a key, or the control clicked
    QTest::addColumn<QStringList>("boxes");

    QTest::newRow("Tab out of board abc") << "BoardNum" << "abc" << "Tab" << QStringList{ boardMessage };
    QTest::newRow("Shift+Tab out of brightness 100") << "Bright" << "100" << "Backtab" << QStringList{ brightMessage };
    QTest::newRow("click SEND with board 4 2") << "BoardNum" << " 4 2 " << "Send" << QStringList{ boardMessage };
    QTest::newRow("click EXIT with brightness -1") << "Bright" << "-1" << "Exit" << QStringList{ brightMessage };
    QTest::newRow("click CurMsg with board 100") << "BoardNum" << "100" << "CurMsg" << QStringList{ boardMessage };
    QTest::newRow("click HELP runs no check") << "BoardNum" << "abc" << "Help" << QStringList();
}

void tst_Window::leavingAnInvalidField()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, leave);
    QFETCH(QStringList, boxes);

    QVERIFY(m_ui->start());
    auto *edit = m_ui->control<QLineEdit>(name);
    edit->setFocus();
    edit->clear();
    m_ui->type(text);
    if (leave == u"Tab" || leave == u"Backtab")
        m_ui->press(leave == u"Tab" ? Qt::Key_Tab : Qt::Key_Backtab);
    else
        m_ui->click(leave);

    QCOMPARE(m_ui->boxTexts(), boxes);
    if (!boxes.isEmpty())
        QVERIFY(m_ui->hasFocus(name));
    else
        QTRY_VERIFY(m_ui->control(QStringLiteral("MnuHelp"))->isVisible());
    QCOMPARE(edit->text(), text);
    QVERIFY(m_ui->window);
    QCOMPARE(m_ui->pty.read(), QByteArray());
}

void tst_Window::sendWithInvalidFieldsSendsNothing()
{
    QVERIFY(m_ui->start());
    combo("CurMsg")->setEditText(QStringLiteral("kept"));
    field("BoardNum")->setText(QStringLiteral("1 2"));
    field("Bright")->setText(QStringLiteral("x"));
    m_ui->press(Qt::Key_Return);
    QCOMPARE(m_ui->boxTexts(), QStringList({ boardMessage, brightMessage }));
    QVERIFY(m_ui->hasFocus(QStringLiteral("BoardNum")));
    QCOMPARE(combo("CurMsg")->itemText(0), QStringLiteral("kept"));  // recorded all the same
    QCOMPARE(m_ui->pty.read(), QByteArray());

    // Mended, the next press sends, tidied; the refused press left nothing behind.
    field("BoardNum")->setText(QStringLiteral(" 42 "));
    field("Bright")->clear();
    m_ui->press(Qt::Key_Return);
    QCOMPARE(field("BoardNum")->text(), QStringLiteral("42"));
    QCOMPARE(field("Bright")->text(), QStringLiteral("99"));
    QCOMPARE(m_ui->pty.read(), QByteArray("\r42C0\r42B99\r42Akept\r42D"));
}

void tst_Window::typedTextIsKeptWhole()
{
    QVERIFY(m_ui->start());
    QApplication::clipboard()->setText(QStringLiteral("one\r\ntwo\nthree\x01\x7f!"));
    combo("CurMsg")->clearEditText();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(combo("CurMsg")->currentText(), QStringLiteral("one two three!"));

    // Far longer than a line edit takes by default, through paste and the settings.
    const QString longText = QString(40000, u'm') + u'!';
    QApplication::clipboard()->setText(longText);
    combo("CurMsg")->clearEditText();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    field("Bright")->setText(longText);
    QCOMPARE(combo("CurMsg")->currentText(), longText);
    restart();
    QCOMPARE(combo("CurMsg")->currentText(), longText);
    QCOMPARE(field("Bright")->text(), longText);
}

void tst_Window::failuresAreShownAndTheWindowGoesOn()
{
    QVERIFY(m_ui->start());
    m_ui->pty.closeMaster();
    m_ui->click(QStringLiteral("Send"));
    QCOMPARE(m_ui->boxes.size(), 1);
    QCOMPARE(m_ui->boxes.first().icon, QMessageBox::Critical);
    QCOMPARE(m_ui->boxes.first().text.section(u'\r', 0, 0), QStringLiteral("Unable to send to COM7"));
    m_ui.reset();

    m_ui = std::make_unique<WindowDriver>();
    QVERIFY(QDir().mkpath(WindowDriver::listFile()));  // a folder where the list file should be
    QVERIFY(m_ui->start(QStringLiteral("tcp80")));
    QCOMPARE(m_ui->boxes.size(), 1);
    QCOMPARE(m_ui->boxes.first().icon, QMessageBox::Critical);
    QCOMPARE(m_ui->control<QLabel>(QStringLiteral("CommUse"))->text(), QStringLiteral("Using NONE"));
    QVERIFY(!m_ui->control(QStringLiteral("Send"))->isEnabled());
    m_ui->type(QStringLiteral("new"));
    m_ui->press(Qt::Key_Return);
    m_ui->press(Qt::Key_Tab);
    m_ui->press(Qt::Key_Escape);
    QTRY_VERIFY(!m_ui->window);
    QCOMPARE(m_ui->boxes.size(), 2);
    QCOMPARE(m_ui->boxes.last().text.section(u'\r', 0, 1),
             QStringLiteral("Unable to create message list file\r\"") + WindowDriver::listFile() + u'"');
    QDir(WindowDriver::listFile()).removeRecursively();
}

void tst_Window::splashCoversTheFirstSecond()
{
    QElapsedTimer clock;
    qint64 loadEnded = -1;
    bool splashDuringLoad = false;
    MsgBox::setObserver([&](const MsgBox::Shown &) {
        for (QWidget *widget : QApplication::topLevelWidgets())
            splashDuringLoad |= qobject_cast<frmSplash *>(widget) && widget->isVisible();
        QTest::qSleep(1200);  // the operator reads the message for a while
        loadEnded = clock.elapsed();
    });
    clock.start();
    m_ui->window = modMain::Main(QStringLiteral("tcp80"));
    QVERIFY(splashDuringLoad);
    QVERIFY(clock.elapsed() - loadEnded < 300);  // a slow load ends the wait at once
    m_ui->window->close();
    MsgBox::setObserver({});

    clock.restart();
    m_ui->window = modMain::Main(QStringLiteral("COM7"));
    QVERIFY(clock.elapsed() >= 1000 && clock.elapsed() < 1500);
    QVERIFY(m_ui->window->isVisible());
    for (QWidget *widget : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<frmSplash *>(widget));
}

void tst_Window::everythingComesBackAfterARestart()
{
    QVERIFY(m_ui->start());
    combo("CurMsg")->clearEditText();
    m_ui->type(QStringLiteral("first"));
    m_ui->press(Qt::Key_Tab);
    m_ui->press(Qt::Key_Backtab);
    combo("CurMsg")->clearEditText();
    m_ui->type(QStringLiteral(" second, \"quoted\" "));
    m_ui->press(Qt::Key_Tab);
    field("BoardNum")->setText(QStringLiteral("12"));
    field("Bright")->setText(QStringLiteral("040"));
    combo("Present")->setCurrentIndex(3);
    m_ui->window->move(150, 120);
    restart();

    const QStringList entries{ " second, \"quoted\" ", "first" };
    QCOMPARE(m_ui->history(), entries);
    QCOMPARE(combo("CurMsg")->currentText(), entries.first());
    QCOMPARE(field("BoardNum")->text(), QStringLiteral("12"));
    QCOMPARE(field("Bright")->text(), QStringLiteral("040"));
    QCOMPARE(combo("Present")->currentIndex(), 3);
    QCOMPARE(m_ui->window->pos(), QPoint(150, 120));

    m_ui->window->move(300, 300);
    m_ui->window->showMinimized();
    restart();
    QCOMPARE(m_ui->window->pos(), QPoint(150, 120));  // a minimized close keeps the stored place
    QCOMPARE(m_ui->readListFile(), QByteArray(" second, \"quoted\" \r\nfirst\r\n"));
}

void tst_Window::untouchedFirstStartWritesOnlyThePosition()
{
    QVERIFY(m_ui->start());
    QCOMPARE(field("Bright")->text(), QStringLiteral("99"));
    QCOMPARE(combo("Present")->currentIndex(), 0);
    QCOMPARE(combo("CurMsg")->currentText(), QString());
    m_ui->press(Qt::Key_Escape);
    QTRY_VERIFY(!m_ui->window);
    QSettings store(QStringLiteral("VaroMsgBoard"), QStringLiteral("VaroMsgBoard"));
    store.remove(QStringLiteral("Ports"));
    QCOMPARE(store.allKeys(), QStringList({ "Settings/MainLeft", "Settings/MainTop" }));
    QCOMPARE(m_ui->readListFile(), QByteArray("(no file)"));
}

void tst_Window::chosenFromTheListWithKeys()
{
    QVERIFY(m_ui->writeListFile("a\r\nb\r\nc\r\nd\r\n"));
    QVERIFY(m_ui->start());
    m_ui->press(Qt::Key_F4);
    QTRY_VERIFY(combo("CurMsg")->view()->isVisible());
    m_ui->press(Qt::Key_Escape);  // closes the list only
    QTRY_VERIFY(!combo("CurMsg")->view()->isVisible());
    QTest::qWait(50);
    QVERIFY(m_ui->window);
    m_ui->press(Qt::Key_Down, Qt::AltModifier);
    QTRY_VERIFY(combo("CurMsg")->view()->isVisible());
    for (int i = 0; i < 3; ++i)
        m_ui->press(Qt::Key_Down);
    m_ui->press(Qt::Key_Return);  // chooses; it is not a SEND
    QTRY_VERIFY(!combo("CurMsg")->view()->isVisible());
    QCOMPARE(m_ui->history(), QStringList({ "d", "a", "b", "c" }));
    QCOMPARE(m_ui->pty.read(), QByteArray());
    m_ui->press(Qt::Key_Escape);
    QTRY_VERIFY(!m_ui->window);
    QCOMPARE(m_ui->readListFile(), QByteArray("d\r\na\r\nb\r\nc\r\n"));
}

void tst_Window::helpMenuAndAbout()
{
    QVERIFY(m_ui->start());
    m_ui->window->findChild<QAction *>(QStringLiteral("mnuHelpTopics"))->trigger();
    auto *text = m_ui->window->findChild<QTextBrowser *>(QStringLiteral("HelpText"));
    QVERIFY(text && text->toPlainText().contains(QStringLiteral("Sending a message")));
    for (const int key : { Qt::Key_Return, Qt::Key_Escape }) {
        QPointer<QWidget> about;
        QTimer::singleShot(0, [&] {
            about = QApplication::activeModalWidget();
            if (about && QTest::qWaitForWindowExposed(about))
                QTest::keyClick(about->windowHandle(), Qt::Key(key));
        });
        QTimer::singleShot(3000, [] { if (QWidget *stuck = QApplication::activeModalWidget()) stuck->close(); });
        QElapsedTimer clock;
        clock.start();
        m_ui->window->findChild<QAction *>(QStringLiteral("MnuHelpAbout"))->trigger();
        QVERIFY2(clock.elapsed() < 2500, "the About window did not close");
        QVERIFY(!about);  // destroyed on closing
    }
    QPointer<QWidget> help = text->window();
    m_ui->window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_ui->window));
    m_ui->press(Qt::Key_Escape);
    QTRY_VERIFY(!m_ui->window);
    QVERIFY(!help);  // closing the main window closes the help window
    QCOMPARE(m_ui->pty.read(), QByteArray());
}

QTEST_MAIN(tst_Window)
#include "tst_window.moc"
