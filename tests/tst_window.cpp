#include "PseudoTerminal.h"
#include "app/frmMain.h"
#include "app/modMain.h"
#include "info/frmSplash.h"
#include "messages/MsgListFile.h"
#include "ui/MsgBox.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

#include <fcntl.h>

// The main window driven as an operator would: keys, clicks, the boxes it
// shows, what reaches the line (a pseudo-terminal mapped as COM7), and what
// survives a restart.
class tst_Window : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void keysAndClicks_data();
    void keysAndClicks();
    void lineNamed_data();
    void lineNamed();
    void failuresAreShownAndTheWindowGoesOn();
    void splashCoversTheFirstSecond();
    void everythingComesBackAfterARestart();
    void chosenFromTheListWithKeys();
    void helpMenuAndAbout();
    void argumentsQtWouldTake_data();
    void argumentsQtWouldTake();

private:
    bool start(const QString &commandLine = QStringLiteral("COM7"));
    void restart();
    template<typename T = QWidget> T *control(const char *name) const
    {
        return m_window->findChild<T *>(QLatin1String(name));
    }
    QLineEdit *field(const char *name) const { return control<QLineEdit>(name); }
    QComboBox *combo(const char *name) const { return control<QComboBox>(name); }
    bool hasFocus(const char *name) const
    {
        return control(name)->isAncestorOf(QApplication::focusWidget()) || control(name)->hasFocus();
    }
    void press(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(m_window->windowHandle(), Qt::Key(key), modifiers);
    }
    void type(const QString &text) { QTest::keyClicks(QApplication::focusWidget(), text); }
    void click(const char *name) { QTest::mouseClick(control(name), Qt::LeftButton); }
    QStringList history() const
    {
        QStringList entries;
        for (int i = 0; i < combo("CurMsg")->count(); ++i)
            entries << combo("CurMsg")->itemText(i);
        return entries;
    }
    static QString listFile()
    {
        return QCoreApplication::applicationDirPath() + QStringLiteral("/VaroMsgBoard-MsgList.txt");
    }
    static QByteArray readListFile()
    {
        QFile file(listFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
    }

    std::unique_ptr<PseudoTerminal> m_pty;
    QPointer<frmMain> m_window;
    QList<MsgBox::Shown> m_boxes;
    QStringList m_texts; // of the boxes
};

static const QString boardMessage
        = QStringLiteral("INVALID BOARD NUMBER\rPlease enter a decimal number between 0 and 99");
static const QString brightMessage
        = QStringLiteral("INVALID BRIGHTNESS\rPlease enter a decimal number between 0 and 99");

void tst_Window::init()
{
    QSettings(QStringLiteral("VaroMsgBoard"), QStringLiteral("VaroMsgBoard")).clear();
    QFile::remove(listFile());
    QDir(listFile()).removeRecursively();
    m_pty = std::make_unique<PseudoTerminal>();
    QVERIFY(m_pty->isValid());
    m_pty->mapAs(7);
    m_boxes.clear();
    m_texts.clear();
    MsgBox::setObserver([this](const MsgBox::Shown &box) {
        m_boxes << box;
        m_texts << box.text;
    });
}

void tst_Window::cleanup()
{
    delete m_window;
    MsgBox::setObserver({});
}

bool tst_Window::start(const QString &commandLine)
{
    m_window = new frmMain(commandLine);
    m_window->Form_Load();
    m_window->show();
    m_window->activateWindow();
    return QTest::qWaitForWindowActive(m_window);
}

void tst_Window::restart()
{
    press(Qt::Key_Escape);
    QTRY_VERIFY(!m_window);
    QVERIFY(start());
}

// One field typed into (or none), then keys and clicks: what reaches the
// line, the boxes shown, whether the window closed, where the focus is.
void tst_Window::keysAndClicks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QString>("focus");

    const QByteArray hello("\r5C2\r5B75\r5AHELLO\r5D");
    const QStringList none;
    QTest::newRow("Return in CurMsg sends") << ""
                                            << "" << QStringList { "Return" } << hello << none << false << "CurMsg";
    QTest::newRow("keypad Enter in BoardNum sends")
            << "BoardNum"
            << " 5" << QStringList { "Enter" } << hello << none << false << "BoardNum";
    QTest::newRow("Tab order to SEND, Return sends")
            << ""
            << "" << QStringList(6, "Tab") + QStringList { "Return" } << hello << none << false << "Send";
    QTest::newRow("Return on EXIT closes")
            << ""
            << "" << QStringList(5, "Tab") + QStringList { "Return" } << QByteArray() << none << true << "";
    QTest::newRow("Esc closes") << ""
                                << "" << QStringList { "Esc" } << QByteArray() << none << true << "";
    QTest::newRow("Tab out of board abc")
            << "BoardNum"
            << "abc" << QStringList { "Tab" } << QByteArray() << QStringList { boardMessage } << false << "BoardNum";
    QTest::newRow("Shift+Tab out of brightness 100")
            << "Bright"
            << "100" << QStringList { "Backtab" } << QByteArray() << QStringList { brightMessage } << false << "Bright";
    QTest::newRow("click SEND with board 4 2") << "BoardNum"
                                               << " 4 2 " << QStringList { "click Send" } << QByteArray()
                                               << QStringList { boardMessage } << false << "BoardNum";
    QTest::newRow("click EXIT with brightness -1") << "Bright"
                                                   << "-1" << QStringList { "click Exit" } << QByteArray()
                                                   << QStringList { brightMessage } << false << "Bright";
    QTest::newRow("Return with brightness x sends nothing")
            << "Bright"
            << "x" << QStringList { "Return" } << QByteArray() << QStringList { brightMessage } << false << "Bright";
    QTest::newRow("click HELP runs no check")
            << "BoardNum"
            << "abc" << QStringList { "click Help" } << QByteArray() << none << false << "";
}

void tst_Window::keysAndClicks()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QStringList, actions);
    QFETCH(QString, focus);

    QVERIFY(start());
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Varo Message Board V2.1"));
    combo("CurMsg")->setEditText(QStringLiteral("  HELLO  "));
    field("BoardNum")->setText(QStringLiteral("5"));
    field("Bright")->setText(QStringLiteral("75"));
    combo("Present")->setCurrentIndex(2);
    if (!name.isEmpty()) {
        field(name.toLatin1())->setFocus();
        field(name.toLatin1())->clear();
        type(text);
    }
    const QHash<QString, int> keys { { "Tab", Qt::Key_Tab },
                                     { "Backtab", Qt::Key_Backtab },
                                     { "Return", Qt::Key_Return },
                                     { "Enter", Qt::Key_Enter },
                                     { "Esc", Qt::Key_Escape } };
    for (const QString &action : actions)
        action.startsWith(u"click ") ? click(action.mid(6).toLatin1()) : press(keys.value(action));

    QTEST(m_pty->read(), "frame");
    QTEST(m_texts, "boxes");
    QTEST(!m_window, "closes");
    if (!focus.isEmpty())
        QVERIFY(hasFocus(focus.toLatin1()));
    if (!m_texts.isEmpty())
        QCOMPARE(field(name.toLatin1())->text(), text); // a refused text stays as typed
    if (actions.last() == u"click Help")
        QTRY_VERIFY(control("MnuHelp")->isVisible());
}

void tst_Window::lineNamed_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("label");

    QTest::newRow("serial: the number, no leading zero") << " com07"
                                                         << "Using COM7";
    QTest::newRow("UDP: the widest label stays in the window") << "udp65535 "
                                                               << "Using UDP 65535";
}

void tst_Window::lineNamed()
{
    QFETCH(QString, argument);

    QVERIFY(start(argument));
    QTEST(control<QLabel>("CommUse")->text(), "label");
    QVERIFY(m_window->rect().contains(control("CommUse")->geometry()));
    QVERIFY(m_texts.isEmpty() && control("Send")->isEnabled());
}

void tst_Window::failuresAreShownAndTheWindowGoesOn()
{
    QVERIFY(start());
    m_pty->closeMaster();
    click("Send");
    QCOMPARE(m_texts.value(0).section(u'\r', 0, 0), QStringLiteral("Unable to send to COM7"));
    delete m_window;

    QVERIFY(QDir().mkpath(listFile())); // a folder where the list file should be
    QVERIFY(start(QStringLiteral(" tcp80")));
    QCOMPARE(m_boxes.size(), 2);
    QCOMPARE(m_boxes.last().text,
             QStringLiteral("The command line argument \" tcp80\"is not recognized\r"
                            "Please specify argument as \"COM#\" or \"UDP#\" alone, where # is replaced by\r"
                            "the serial COM port number or network UDP port number to use."));
    QCOMPARE(control<QLabel>("CommUse")->text(), QStringLiteral("Using NONE"));
    QVERIFY(!control("Send")->isEnabled());
    type(QStringLiteral("new"));
    press(Qt::Key_Return);
    press(Qt::Key_Tab);
    press(Qt::Key_Escape);
    QTRY_VERIFY(!m_window);
    QCOMPARE(m_boxes.size(), 3);
    QCOMPARE(m_boxes.last().text.section(u'\r', 0, 1),
             QStringLiteral("Unable to create message list file\r\"") + listFile() + u'"');
}

// The splash stays while the window loads, one second at least; a load
// held longer by a message box ends the wait at once.
void tst_Window::splashCoversTheFirstSecond()
{
    QElapsedTimer clock;
    qint64 loadEnded = -1;
    bool splashDuringLoad = false;
    MsgBox::setObserver([&](const MsgBox::Shown &) {
        for (QWidget *widget : QApplication::topLevelWidgets())
            splashDuringLoad |= qobject_cast<frmSplash *>(widget) && widget->isVisible();
        QTest::qSleep(1200); // the operator reads the message for a while
        loadEnded = clock.elapsed();
    });
    for (const char *argument : { "COM7", "tcp80" }) {
        clock.start();
        m_window = modMain::Main(QLatin1String(argument));
        const qint64 shown = clock.elapsed();
        QVERIFY(loadEnded < 0 ? shown >= 1000 && shown < 2500 : shown - loadEnded < 800);
        QVERIFY(m_window->isVisible());
        for (QWidget *widget : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<frmSplash *>(widget));
        delete m_window;
    }
    QVERIFY(splashDuringLoad);
}

void tst_Window::everythingComesBackAfterARestart()
{
    QVERIFY(start());
    QCOMPARE(field("Bright")->text(), QStringLiteral("99"));
    QCOMPARE(combo("Present")->currentIndex(), 0);
    restart(); // an untouched first start stores the position only
    QSettings store(QStringLiteral("VaroMsgBoard"), QStringLiteral("VaroMsgBoard"));
    QCOMPARE(store.allKeys().filter(QStringLiteral("Settings/")),
             QStringList({ "Settings/MainLeft", "Settings/MainTop" }));
    QCOMPARE(readListFile(), QByteArray("(no file)"));

    // Leaving the field records its text: not an empty one, and case counts.
    for (const char *text : { "first", "", "First", " second, \"quoted\" " }) {
        combo("CurMsg")->clearEditText();
        type(QLatin1String(text));
        press(Qt::Key_Tab);
        press(Qt::Key_Backtab);
    }
    // Pasted: line breaks become spaces, other controls go; far longer than
    // a line edit takes by default.
    const QString longText = QString(40000, u'm');
    QApplication::clipboard()->setText(QStringLiteral("one\r\ntwo\x01") + longText);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    field("BoardNum")->setText(QStringLiteral("12"));
    field("Bright")->setText(QStringLiteral("0") + longText);
    combo("Present")->setCurrentIndex(3);
    m_window->move(150, 120);
    restart();

    const QStringList entries { " second, \"quoted\" ", "First", "first" };
    QCOMPARE(history(), entries);
    QCOMPARE(combo("CurMsg")->currentText(), QStringLiteral("one two") + longText); // pasted over the selection
    QCOMPARE(field("BoardNum")->text(), QStringLiteral("12"));
    QCOMPARE(field("Bright")->text(), QStringLiteral("0") + longText);
    QCOMPARE(combo("Present")->currentIndex(), 3);
    QCOMPARE(m_window->pos(), QPoint(150, 120));
    m_window->move(300, 300);
    m_window->showMinimized();
    restart();
    QCOMPARE(m_window->pos(), QPoint(150, 120)); // a minimized close keeps the stored place
    QCOMPARE(readListFile(), QByteArray(" second, \"quoted\" \r\nFirst\r\nfirst\r\n"));
}

void tst_Window::chosenFromTheListWithKeys()
{
    QVERIFY(MsgListFile::save(listFile(), { "a", "b", "c", "d" }).ok());
    QVERIFY(start());
    press(Qt::Key_Down, Qt::AltModifier);
    QTRY_VERIFY(combo("CurMsg")->view()->isVisible());
    for (int i = 0; i < 3; ++i)
        press(Qt::Key_Down);
    press(Qt::Key_Return); // chooses; it is not a SEND
    QCOMPARE(history(), QStringList({ "d", "a", "b", "c" }));
    QCOMPARE(m_pty->read(), QByteArray());
}

void tst_Window::helpMenuAndAbout()
{
    QVERIFY(start());
    m_window->findChild<QAction *>(QStringLiteral("mnuHelpTopics"))->trigger();
    auto *text = m_window->findChild<QTextBrowser *>(QStringLiteral("HelpText"));
    QVERIFY(text && text->toPlainText().contains(QStringLiteral("Sending a message")));
    QString version;
    QTimer::singleShot(0, [&] {
        QWidget *about = QApplication::activeModalWidget();
        if (about && QTest::qWaitForWindowExposed(about)) {
            version = about->findChild<QLabel *>(QStringLiteral("lblVersion"))->text();
            QTest::keyClick(about->windowHandle(), Qt::Key_Return); // OK is the default
        }
    });
    QTimer::singleShot(3000, [] {
        if (QWidget *stuck = QApplication::activeModalWidget())
            stuck->close();
    });
    m_window->findChild<QAction *>(QStringLiteral("MnuHelpAbout"))->trigger();
    QCOMPARE(version, QStringLiteral("Version 2.1"));
    QVERIFY(m_window->findChildren<QDialog *>().isEmpty()); // destroyed on closing
    QPointer<QWidget> help = text->window();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    press(Qt::Key_Escape);
    QTRY_VERIFY(!m_window);
    QVERIFY(!help); // closing the main window closes the help window
    QCOMPARE(m_pty->read(), QByteArray());
}

// Every argument is the program's own: none may abort it or change it and
// leave COM1 (this terminal) to be opened silently.
void tst_Window::argumentsQtWouldTake_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("-platform bogus -display :9999 -reverse")
            << QStringList { "-platform", "bogus", "-display", ":9999", "-reverse" };
    QTest::newRow("-style fusion -title x") << QStringList { "-style", "fusion", "-title", "x" };
}

void tst_Window::argumentsQtWouldTake()
{
    QFETCH(QStringList, arguments);

    m_pty->mapAs(1);
    QProcess program;
    program.start(QStringLiteral(VAROMSGBOARD), arguments);
    QVERIFY(program.waitForStarted());
    QTest::qWait(1500); // the splash second; then the not-recognized box waits
    QCOMPARE(program.state(), QProcess::Running);
    const int fd = ::open(QFile::encodeName(m_pty->slaveName()), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY2(fd >= 0, "the program opened COM1");
    ::close(fd);
    program.kill();
    program.waitForFinished();
}

QTEST_MAIN(tst_Window)
#include "tst_window.moc"
