#include "WindowDriver.h"
#include "frmSplash.h"
#include "modMain.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QScreen>
#include <QtTest>

// Records when the splash and the main window appear and go.
class Timeline : public QObject
{
public:
    Timeline() { qApp->installEventFilter(this); clock.start(); }

    qint64 at(const QString &what) const { return moments.value(what, -1); }
    QElapsedTimer clock;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<frmSplash *>(watched)) {
            moments.insert(QStringLiteral("splash shown"), clock.elapsed());
            connect(watched, &QObject::destroyed, this,
                    [this] { moments.insert(QStringLiteral("splash gone"), clock.elapsed()); });
        } else if (event->type() == QEvent::Show && qobject_cast<frmMain *>(watched)) {
            moments.insert(QStringLiteral("main shown"), clock.elapsed());
        }
        return false;
    }

private:
    QHash<QString, qint64> moments;
};

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void splashCoversTheFirstSecond();
    void slowLoadEndsTheWaitAtOnce();
    void splashWindow();
    void splashIgnoresClicksAndKeys();
    void everyWayOfClosingUnloadsTheOtherWindows_data();
    void everyWayOfClosingUnloadsTheOtherWindows();

private:
    std::unique_ptr<WindowDriver> m_ui;
};

void tst_Startup::init()
{
    m_ui = std::make_unique<WindowDriver>();
    QVERIFY(m_ui->pty.isValid());
}

void tst_Startup::cleanup()
{
    m_ui.reset();
}

void tst_Startup::splashCoversTheFirstSecond()
{
    Timeline timeline;
    m_ui->window = modMain::Main(QStringLiteral("COM7"));

    QVERIFY(m_ui->window->isVisible());
    QCOMPARE(m_ui->window->CommMode(), 1);
    QVERIFY(timeline.at("splash shown") >= 0);
    QVERIFY(timeline.at("splash gone") >= 0);
    QVERIFY(timeline.at("splash gone") <= timeline.at("main shown"));
    QVERIFY(timeline.at("main shown") - timeline.at("splash shown") >= 1000);
    QVERIFY(timeline.at("main shown") - timeline.at("splash shown") < 1500);
    QVERIFY(!QApplication::windowIcon().isNull());
}

void tst_Startup::slowLoadEndsTheWaitAtOnce()
{
    Timeline timeline;
    qint64 loadEnded = -1;
    bool mainVisibleDuringLoad = true;
    bool splashVisibleDuringLoad = false;
    MsgBox::setObserver([&](const MsgBox::Shown &) {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<frmMain *>(widget))
                mainVisibleDuringLoad = widget->isVisible();
            if (qobject_cast<frmSplash *>(widget))
                splashVisibleDuringLoad = widget->isVisible();
        }
        QTest::qSleep(1500);  // the operator reads the message for a while
        loadEnded = timeline.clock.elapsed();
    });
    m_ui->window = modMain::Main(QStringLiteral("tcp80"));

    QVERIFY(!mainVisibleDuringLoad);
    QVERIFY(splashVisibleDuringLoad);
    QVERIFY(loadEnded > 0);
    QVERIFY(timeline.at("main shown") >= loadEnded);
    QVERIFY(timeline.at("main shown") - loadEnded < 300);
}

void tst_Startup::splashWindow()
{
    frmSplash splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));

    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(splash.size(), QSize(552, 262));
    QCOMPARE(splash.geometry().center(), QGuiApplication::primaryScreen()->geometry().center());
    QCOMPARE(splash.findChild<QLabel *>("lblVersion")->text(), QStringLiteral("Version 2.1"));
    QCOMPARE(splash.findChild<QLabel *>("lblProductName")->text(), QStringLiteral("Message Board"));
    const QPixmap logo = splash.findChild<QLabel *>("picLogo")->pixmap();
    QCOMPARE(logo.size(), QSize(129, 47));
}

void tst_Startup::splashIgnoresClicksAndKeys()
{
    QPointer<frmSplash> splash = new frmSplash;
    splash->show();
    QVERIFY(QTest::qWaitForWindowExposed(splash));
    QTest::mouseClick(splash, Qt::LeftButton);
    QTest::keyClick(splash->windowHandle(), Qt::Key_Escape);
    QTest::keyClick(splash->windowHandle(), Qt::Key_Space);
    QTest::qWait(100);
    QVERIFY(splash);
    QVERIFY(splash->isVisible());
    delete splash;
}

void tst_Startup::everyWayOfClosingUnloadsTheOtherWindows_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("EXIT clicked") << "click";
    QTest::newRow("Esc") << "escape";
    QTest::newRow("title bar") << "title bar";
}

void tst_Startup::everyWayOfClosingUnloadsTheOtherWindows()
{
    QFETCH(QString, how);

    QVERIFY(m_ui->start());
    QWidget other;
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    m_ui->window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_ui->window));

    if (how == u"click")
        m_ui->click(QStringLiteral("Exit"));
    else if (how == u"escape")
        m_ui->press(Qt::Key_Escape);
    else
        m_ui->window->windowHandle()->close();

    QTRY_VERIFY(!m_ui->window);
    QVERIFY(!other.isVisible());
}

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
