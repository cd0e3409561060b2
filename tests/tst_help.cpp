#include "WindowDriver.h"
#include "frmAbout.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

// Stands in for the web browser.
class Browser : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

class tst_Help : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void aboutOpensModalOverTheMainWindow();
    void aboutCloses_data();
    void aboutCloses();
    void helpButtonFromTheKeyboardOpensTheMenu();
    void helpTopicsShowTheShippedFile();
    void missingHelpFileIsReportedInTheWindow();
    void shutdownClosesTheHelpWindow();
    void webOpensTheMakersAddress();

private:
    void trigger(const char *item);
    QString helpFile() const { return QCoreApplication::applicationDirPath() + QStringLiteral("/VaroMsgBoard.hlp"); }

    std::unique_ptr<WindowDriver> m_ui;
};

void tst_Help::init()
{
    m_ui = std::make_unique<WindowDriver>();
    QVERIFY(m_ui->pty.isValid());
    QVERIFY(m_ui->start());
}

void tst_Help::cleanup()
{
    m_ui.reset();
    if (QFile::exists(helpFile() + QStringLiteral(".away")))
        QFile::rename(helpFile() + QStringLiteral(".away"), helpFile());
}

void tst_Help::trigger(const char *item)
{
    m_ui->window->findChild<QAction *>(QLatin1String(item))->trigger();
}

void tst_Help::aboutOpensModalOverTheMainWindow()
{
    for (int opening = 0; opening < 2; ++opening) {
        struct Seen
        {
            QPointer<QWidget> window;
            QString title, version;
            QSize size, logo;
            QWidget *owner = nullptr;
            QPoint centre;
        } seen;
        // Only look and close here: a failed check inside would leave it open.
        QTimer::singleShot(0, [&seen] {
            QWidget *about = QApplication::activeModalWidget();
            if (!about)
                return;
            seen = { about, about->windowTitle(), about->findChild<QLabel *>("lblVersion")->text(),
                     about->size(), about->findChild<QLabel *>("picLogo")->pixmap().size(),
                     about->parentWidget(), about->geometry().center() };
            about->close();
        });
        trigger("MnuHelpAbout");

        QVERIFY(qobject_cast<frmAbout *>(seen.window.data()) || !seen.window);
        QCOMPARE(seen.title, QStringLiteral("About VaroMsgBoard"));
        QCOMPARE(seen.version, QStringLiteral("Version 2.1"));
        QCOMPARE(seen.size, QSize(495, 217));
        QCOMPARE(seen.logo, QSize(129, 47));
        QCOMPARE(seen.owner, m_ui->window.data());
        QVERIFY((seen.centre - m_ui->window->frameGeometry().center()).manhattanLength() <= 4);
        QTRY_VERIFY(!seen.window);  // a fresh window each time, destroyed when closed
    }
}

void tst_Help::aboutCloses_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("Enter") << "enter";
    QTest::newRow("Esc") << "escape";
    QTest::newRow("OK clicked") << "click";
}

void tst_Help::aboutCloses()
{
    QFETCH(QString, how);

    bool wasOpen = false;
    QTimer::singleShot(0, [&] {
        QWidget *about = QApplication::activeModalWidget();
        if (!about)
            return;
        wasOpen = true;
        if (!QTest::qWaitForWindowExposed(about))
            return;  // the watchdog closes it and the test fails on time
        if (how == u"click")
            QTest::mouseClick(about->findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
        else
            QTest::keyClick(about->windowHandle(), how == u"enter" ? Qt::Key_Return : Qt::Key_Escape);
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] {
        if (QWidget *stuck = QApplication::activeModalWidget())
            stuck->close();
    });
    watchdog.start(5000);
    QElapsedTimer clock;
    clock.start();
    trigger("MnuHelpAbout");
    QVERIFY(wasOpen);
    QVERIFY2(clock.elapsed() < 4000, "the About window did not close");
    QVERIFY(m_ui->window->isVisible());
    QCOMPARE(m_ui->pty.read(), QByteArray());  // Enter in About is not a SEND
}

void tst_Help::helpButtonFromTheKeyboardOpensTheMenu()
{
    m_ui->control(QStringLiteral("Help"))->setFocus();
    m_ui->press(Qt::Key_Space);
    auto *menu = m_ui->control<QMenu>(QStringLiteral("MnuHelp"));
    QTRY_VERIFY(menu->isVisible());
    m_ui->press(Qt::Key_Escape);
    QTRY_VERIFY(!menu->isVisible());
    QTest::qWait(50);
    QVERIFY(m_ui->window);  // Esc closed the menu, not the window
}

void tst_Help::helpTopicsShowTheShippedFile()
{
    trigger("mnuHelpTopics");
    auto *text = m_ui->window->findChild<QTextBrowser *>("HelpText");
    QVERIFY(text);
    QTRY_VERIFY(text->window()->isVisible());
    const QString shown = text->toPlainText();
    QVERIFY(shown.contains(QStringLiteral("Sending a message")));
    QVERIFY(shown.contains(QStringLiteral("INVALID BOARD NUMBER")));
    QVERIFY(shown.contains(QStringLiteral("COM7=/dev/ttyUSB0")));
    QCOMPARE(m_ui->boxTexts(), QStringList());
}

void tst_Help::missingHelpFileIsReportedInTheWindow()
{
    QVERIFY(QFile::rename(helpFile(), helpFile() + QStringLiteral(".away")));
    trigger("mnuHelpTopics");
    auto *text = m_ui->window->findChild<QTextBrowser *>("HelpText");
    QVERIFY(text);
    QTRY_VERIFY(text->window()->isVisible());
    QVERIFY(text->toPlainText().contains(QStringLiteral("Help is not available")));
    QVERIFY(text->toPlainText().contains(helpFile()));
    QCOMPARE(m_ui->boxTexts(), QStringList());
}

void tst_Help::shutdownClosesTheHelpWindow()
{
    trigger("mnuHelpTopics");
    QPointer<QWidget> help = m_ui->window->findChild<QTextBrowser *>("HelpText")->window();
    QTRY_VERIFY(help->isVisible());
    m_ui->window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_ui->window));
    m_ui->press(Qt::Key_Escape);
    QTRY_VERIFY(!m_ui->window);
    QVERIFY(!help);
}

void tst_Help::webOpensTheMakersAddress()
{
    Browser browser;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
    trigger("mnuHelpWeb");
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(browser.opened, QList<QUrl>{ QUrl(QStringLiteral("https://www.varo.example/")) });
}

QTEST_MAIN(tst_Help)
#include "tst_help.moc"
