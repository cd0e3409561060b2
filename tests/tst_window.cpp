#include "PseudoTerminal.h"
#include "app/frmMain.h"
#include "app/modMain.h"
#include "info/frmSplash.h"
#include "ui/MsgBox.h"

#include <QTcpServer>
#include <QtTest>
#include <QtWidgets>

#include <fcntl.h>

using namespace Qt::StringLiterals;

// The main window driven as an operator would: keys, clicks, the boxes it
// shows, what reaches the line (a pseudo-terminal mapped as COM7), and what
// survives a restart.
class tst_Window : public QObject
{
    Q_OBJECT

    bool start(const QString &commandLine = "COM7")
    {
        m_window = new frmMain(commandLine);
        m_window->Form_Load();
        m_window->show();
        m_window->activateWindow();
        return QTest::qWaitForWindowActive(m_window);
    }
    void restart()
    {
        press(Qt::Key_Escape);
        QTRY_VERIFY(!m_window);
        QVERIFY(start());
    }
    template<typename T = QWidget> T *control(const QString &name) const { return m_window->findChild<T *>(name); }
    QLineEdit *field(const QString &name) const { return control<QLineEdit>(name); }
    QComboBox *message() const { return control<QComboBox>("CurMsg"); }
    void press(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(m_window->windowHandle(), Qt::Key(key), modifiers);
    }
    void type(const QString &text) { QTest::keyClicks(QApplication::focusWidget(), text); }
    QStringList history() const
    {
        QStringList entries;
        for (int i = 0; i < message()->count(); ++i)
            entries << message()->itemText(i);
        return entries;
    }
    static QString listFile() { return QCoreApplication::applicationDirPath() + u"/VaroMsgBoard-MsgList.txt"_s; }
    static QByteArray readListFile()
    {
        QFile file(listFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
    }

    std::unique_ptr<PseudoTerminal> m_pty;
    QPointer<frmMain> m_window;
    QList<MsgBox::Shown> m_boxes;

private slots:
    void init()
    {
        QSettings("VaroMsgBoard", "VaroMsgBoard").clear();
        QFile::remove(listFile());
        QDir(listFile()).removeRecursively();
        m_pty = std::make_unique<PseudoTerminal>();
        QVERIFY(m_pty->isValid());
        m_pty->mapAs(7);
        m_boxes.clear();
        MsgBox::setObserver([this](const MsgBox::Shown &box) { m_boxes << box; });
    }

    void cleanup()
    {
        delete m_window;
        MsgBox::setObserver({});
    }

    // With "  HELLO  ", board " 5 ", brightness " 7 " and Center set, keys,
    // clicks (@), fields typed into with focus (name:text) or set without it
    // (name=text), comma apart: what reaches the line, the boxes, the board number, brightness
    // and history then shown ("" when the window closed), and where the focus is.
    void keysAndClicks_data()
    {
        QTest::addColumn<QString>("actions");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("focus");

        const auto hello = [](QByteArray board = "5") {
            return "\r" + board + "C2\r" + board + "B07\r" + board + "AHELLO\r" + board + "D";
        };
        const auto row = [](const char *name, const char *actions, const QByteArray &frame, const char *boxes,
                            const char *after,
                            const char *focus) { QTest::newRow(name) << actions << frame << boxes << after << focus; };
        row("Return in CurMsg sends, records, tidies the numbers", "Return", hello(), "", "5|7|  HELLO  ", "CurMsg");
        row("keypad Enter in BoardNum sends the board as typed", "BoardNum:05,Enter", hello("05"), "", "05|7|  HELLO  ",
            "BoardNum");
        row("Tab order to SEND, Return sends", "Tab,Tab,Tab,Tab,Tab,Tab,Return", hello(), "", "5|7|  HELLO  ", "Send");
        row("Return on EXIT closes", "Tab,Tab,Tab,Tab,Tab,Return", {}, "", "", "");
        row("Shift+Tab out of brightness 100", "Bright:100,Backtab", {}, "bright", " 5 |100", "Bright");
        row("click SEND with board 4 2", "BoardNum: 4 2 ,@Send", {}, "board", " 4 2 | 7 ", "BoardNum");
        row("click EXIT with brightness -1", "Bright:-1,@Exit", {}, "bright", " 5 |-1", "Bright");
        row("Return, brightness x: recorded, board tidied, not sent", "Bright:x,Return", {}, "bright", "5|x|  HELLO  ",
            "Bright");
        row("both fail at SEND: board told first and focused", "Bright:x,BoardNum=abc,Return", {}, "board bright",
            "abc|x|  HELLO  ", "BoardNum");
        row("click HELP runs no check", "BoardNum:abc,@Help", {}, "", "abc| 7 ", "");
    }

    void keysAndClicks()
    {
        QFETCH(QString, actions);
        QFETCH(QString, boxes);
        QFETCH(QString, focus);

        QVERIFY(start());
        QCOMPARE(m_window->windowTitle(), "Varo Message Board V2.1");
        message()->setEditText("  HELLO  ");
        field("BoardNum")->setText(" 5 ");
        field("Bright")->setText(" 7 ");
        control<QComboBox>("Present")->setCurrentIndex(2);
        for (const QString &action : actions.split(u',')) {
            if (action.startsWith(u'@')) {
                QTest::mouseClick(control(action.mid(1)), Qt::LeftButton);
            } else if (action.contains(u'=')) {
                field(action.section(u'=', 0, 0))->setText(action.section(u'=', 1));
            } else if (action.contains(u':')) {
                field(action.section(u':', 0, 0))->setFocus();
                field(action.section(u':', 0, 0))->clear();
                type(action.section(u':', 1));
            } else {
                press(QKeySequence(action)[0].key());
            }
        }

        QTEST(m_pty->read(), "frame");
        QStringList texts, told;
        for (const MsgBox::Shown &box : m_boxes)
            texts << box.text;
        for (const QString &which : boxes.split(u' ', Qt::SkipEmptyParts))
            told << (which == u"board" ? u"INVALID BOARD NUMBER"_s : u"INVALID BRIGHTNESS"_s)
                            + u"\rPlease enter a decimal number between 0 and 99"_s;
        QCOMPARE(texts, told);
        QTEST(m_window ? (QStringList { field("BoardNum")->text(), field("Bright")->text() } + history()).join(u'|')
                       : QString(),
              "after");
        if (!focus.isEmpty())
            QVERIFY(control(focus)->isAncestorOf(QApplication::focusWidget()) || control(focus)->hasFocus());
        if (actions.endsWith(u"@Help"))
            QTRY_VERIFY(control("MnuHelp")->isVisible());
    }

    void failuresAreShownAndTheWindowGoesOn()
    {
        QVERIFY(start());
        m_pty->closeMaster();
        QTest::mouseClick(control("Send"), Qt::LeftButton);
        QCOMPARE(m_boxes.value(0).text.section(u'\r', 0, 0), "Unable to send to COM7");
        QCOMPARE(m_boxes.value(0).icon, QMessageBox::Critical);
        delete m_window;

        QVERIFY(QDir().mkpath(listFile())); // a folder where the list file should be
        QVERIFY(start(" tcp80"));
        QCOMPARE(m_boxes.size(), 2);
        QCOMPARE(m_boxes.last().text,
                 "The command line argument \" tcp80\"is not recognized\rPlease specify argument as \"COM#\" or "
                 "\"UDP#\" "
                 "alone, where # is replaced by\rthe serial COM port number or network UDP port number to use.");
        QCOMPARE(m_boxes.last().icon, QMessageBox::Critical);
        type("new");
        press(Qt::Key_Return);
        press(Qt::Key_Tab);
        press(Qt::Key_Escape);
        QTRY_VERIFY(!m_window);
        QCOMPARE(m_boxes.size(), 3);
        QCOMPARE(m_boxes.last().text.section(u'\r', 0, 1),
                 u"Unable to create message list file\r\""_s + listFile() + u'"');
        QCOMPARE(m_boxes.last().icon, QMessageBox::NoIcon);
    }

    // The splash stays while the window loads, one second at least; a load
    // held longer by a message box ends the wait at once. The label names the
    // line, the widest one inside the window.
    void splashCoversTheFirstSecond()
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
        QTcpServer device; // a serial device server's raw port
        QVERIFY(device.listen(QHostAddress::LocalHost));
        const QString tcp = QString("127.0.0.1:%1").arg(device.serverPort());
        for (const QString &line : QStringList { " com07|COM7", "udp65535 |UDP 65535", " tcp:" + tcp + "|TCP " + tcp,
                                                 "tcp80|NONE", "TCP:127.0.0.1:1|NONE" }) {
            clock.start();
            m_window = modMain::Main(line.section(u'|', 0, 0));
            const qint64 shown = clock.elapsed();
            QVERIFY(loadEnded < 0 ? shown >= 1000 && shown < 2500 : shown - loadEnded < 800);
            QVERIFY(m_window->isVisible());
            for (QWidget *widget : QApplication::topLevelWidgets())
                QVERIFY(!qobject_cast<frmSplash *>(widget));
            QCOMPARE(control<QLabel>("CommUse")->text(), "Using " + line.section(u'|', 1));
            QVERIFY(m_window->rect().contains(control("CommUse")->geometry()));
            QCOMPARE(control("Send")->isEnabled(), loadEnded < 0);
            delete m_window;
        }
        QVERIFY(splashDuringLoad);
    }

    // A SEND of the first entry changes nothing: the file stays as written.
    void everythingComesBackAfterARestart()
    {
        QFile file(listFile());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("a\nb\n") == 4);
        file.close();
        QVERIFY(start());
        message()->setEditText("a");
        press(Qt::Key_Return);
        QCOMPARE(m_pty->read(), "\r0C0\r0B99\r0Aa\r0D");
        QCOMPARE(control<QComboBox>("Present")->currentIndex(), 0);
        restart();
        QSettings store("VaroMsgBoard", "VaroMsgBoard");
        QCOMPARE(store.allKeys().filter("Settings/").join(u' '),
                 "Settings/CurMsgText Settings/MainLeft Settings/MainTop");
        QCOMPARE(readListFile(), "a\nb\n");

        press(Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(message()->view()->isVisible());
        press(Qt::Key_Down);
        press(Qt::Key_Return); // chooses; it is not a SEND
        QCOMPARE(history(), QStringList({ "b", "a" }));
        QCOMPARE(m_pty->read(), QByteArray());
        // Leaving the field records its text: not an empty one, and case counts.
        for (const char *text : { "first", "", "First", " second, \"quoted\" " }) {
            message()->clearEditText();
            type(text);
            press(Qt::Key_Tab);
            press(Qt::Key_Backtab);
        }
        // Pasted: line breaks become spaces, other controls go; far longer than
        // a line edit takes by default.
        const QString longText(40000, u'm');
        QApplication::clipboard()->setText(u"one\r\ntwo\x01"_s + longText);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        field("BoardNum")->setText("12");
        field("Bright")->setText(u'0' + longText);
        control<QComboBox>("Present")->setCurrentIndex(3);
        m_window->move(150, 120);
        restart();

        QCOMPARE(history(), QStringList({ " second, \"quoted\" ", "First", "first", "b", "a" }));
        QCOMPARE(message()->currentText(), u"one two"_s + longText); // pasted over the selection
        QCOMPARE(field("BoardNum")->text(), "12");
        QCOMPARE(field("Bright")->text(), u'0' + longText);
        QCOMPARE(control<QComboBox>("Present")->currentIndex(), 3);
        QCOMPARE(m_window->pos(), QPoint(150, 120));
        m_window->move(300, 300);
        m_window->showMinimized();
        restart();
        QCOMPARE(m_window->pos(), QPoint(150, 120)); // a minimized close keeps the stored place
        QCOMPARE(readListFile(), " second, \"quoted\" \r\nFirst\r\nfirst\r\nb\r\na\r\n");
    }

    void helpMenuAndAbout()
    {
        QVERIFY(start());
        control<QAction>("mnuHelpTopics")->trigger();
        auto *text = control<QTextBrowser>("HelpText");
        QVERIFY(text && text->toPlainText().contains("Sending a message"));
        QString version;
        QTimer::singleShot(0, [&] {
            QWidget *about = QApplication::activeModalWidget();
            if (about && QTest::qWaitForWindowExposed(about)) {
                version = about->findChild<QLabel *>("lblVersion")->text();
                QTest::keyClick(about->windowHandle(), Qt::Key_Return); // OK is the default
            }
        });
        QTimer guard; // an About that is never shown fails the test instead of hanging it
        guard.callOnTimeout([] {
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        });
        guard.start(3000);
        control<QAction>("MnuHelpAbout")->trigger();
        QCOMPARE(version, "Version 2.1");
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
    void argumentsQtWouldTake()
    {
        m_pty->mapAs(1);
        QProcess program;
        program.start(u"" VAROMSGBOARD ""_s,
                      { "-platform", "bogus", "-display", ":9999", "-reverse", "-style", "fusion", "-title", "x" });
        QVERIFY(program.waitForStarted());
        QTest::qWait(1500); // the splash second; then the not-recognized box waits
        QCOMPARE(program.state(), QProcess::Running);
        const int fd = ::open(QFile::encodeName(m_pty->slaveName()), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY2(fd >= 0, "the program opened COM1");
        ::close(fd);
        program.kill();
        program.waitForFinished();
    }
};

QTEST_MAIN(tst_Window)
#include "tst_window.moc"
