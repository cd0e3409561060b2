#include "WindowDriver.h"
#include "info/frmAbout.h"

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
    void menuItemsInOrder();
    void aboutOpensAndCloses_data();
    void aboutOpensAndCloses();
    void helpTopicsShowTheShippedFile();
    void missingHelpFileIsReportedInTheWindow();
    void shutdownClosesTheHelpWindow();
    void webOpensTheMakersAddress();

private:
    void trigger(const char *item) { m_ui->window->findChild<QAction *>(QLatin1String(item))->trigger(); }
    QTextBrowser *openHelp();
    static QString helpFile() { return QCoreApplication::applicationDirPath() + QStringLiteral("/VaroMsgBoard.hlp"); }

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

QTextBrowser *tst_Help::openHelp()
{
    trigger("mnuHelpTopics");
    auto *text = m_ui->window->findChild<QTextBrowser *>("HelpText");
    return text && QTest::qWaitForWindowExposed(text->window()) ? text : nullptr;
}

void tst_Help::menuItemsInOrder()
{
    QStringList items;
    for (const QAction *action : m_ui->control<QMenu>(QStringLiteral("MnuHelp"))->actions())
        items << action->objectName() + u'=' + (action->isSeparator() ? QStringLiteral("-") : action->text());
    QCOMPARE(items, QStringList({ "mnuHelpTopics=Help Topics...", "mnuHelpDiv1=-", "mnuHelpWeb=Varo on the Web",
                                  "MnuHelpDiv2=-", "MnuHelpAbout=About Varo Message Board..." }));

    m_ui->control(QStringLiteral("Help"))->setFocus();
    m_ui->press(Qt::Key_Space);
    QTRY_VERIFY(m_ui->control(QStringLiteral("MnuHelp"))->isVisible());
    m_ui->press(Qt::Key_Escape);
    QTRY_VERIFY(!m_ui->control(QStringLiteral("MnuHelp"))->isVisible());
    QTest::qWait(50);
    QVERIFY(m_ui->window);  // Esc closed the menu, not the window
}

void tst_Help::aboutOpensAndCloses_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("Enter") << "enter";
    QTest::newRow("Esc") << "escape";
    QTest::newRow("OK clicked") << "click";
}

void tst_Help::aboutOpensAndCloses()
{
    QFETCH(QString, how);

    for (int opening = 0; opening < 2; ++opening) {
        QPointer<QWidget> about;
        QString version;
        QWidget *owner = nullptr;
        // Only look and act here: a failed check inside would keep it open.
        QTimer::singleShot(0, [&] {
            about = QApplication::activeModalWidget();
            if (!about || !QTest::qWaitForWindowExposed(about))
                return;
            version = about->findChild<QLabel *>("lblVersion")->text();
            owner = about->parentWidget();
            if (how == u"click")
                QTest::mouseClick(about->findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
            else
                QTest::keyClick(about->windowHandle(), how == u"enter" ? Qt::Key_Return : Qt::Key_Escape);
        });
        QTimer::singleShot(3000, [] {
            if (QWidget *stuck = QApplication::activeModalWidget())
                stuck->close();
        });
        QElapsedTimer clock;
        clock.start();
        trigger("MnuHelpAbout");

        QVERIFY2(clock.elapsed() < 2500, "the About window did not close");
        QVERIFY(!about);  // destroyed on closing: each opening is a fresh window
        QCOMPARE(version, QStringLiteral("Version 2.1"));
        QCOMPARE(owner, m_ui->window.data());
    }
    QCOMPARE(m_ui->pty.read(), QByteArray());  // Enter in About is not a SEND
}

void tst_Help::helpTopicsShowTheShippedFile()
{
    QTextBrowser *text = openHelp();
    QVERIFY(text);
    QVERIFY(text->toPlainText().contains(QStringLiteral("Sending a message")));
    QVERIFY(text->toPlainText().contains(QStringLiteral("COM7=/dev/ttyUSB0")));
    QCOMPARE(m_ui->boxTexts(), QStringList());
}

void tst_Help::missingHelpFileIsReportedInTheWindow()
{
    QVERIFY(QFile::rename(helpFile(), helpFile() + QStringLiteral(".away")));
    QTextBrowser *text = openHelp();
    QVERIFY(text);
    QVERIFY(text->toPlainText().contains(QStringLiteral("Help is not available")));
    QVERIFY(text->toPlainText().contains(helpFile()));
    QCOMPARE(m_ui->boxTexts(), QStringList());
}

void tst_Help::shutdownClosesTheHelpWindow()
{
    QTextBrowser *text = openHelp();
    QVERIFY(text);
    QPointer<QWidget> help = text->window();
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
