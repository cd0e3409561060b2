#include "WindowDriver.h"
#include "info/frmSplash.h"
#include "app/modMain.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QtTest>

// Records when the splash and the main window appear and when the splash goes.
class Timeline : public QObject
{
public:
    Timeline() { qApp->installEventFilter(this); clock.start(); }

    QElapsedTimer clock;
    qint64 splashShown = -1, splashGone = -1, mainShown = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<frmSplash *>(watched)) {
            splashShown = clock.elapsed();
            connect(watched, &QObject::destroyed, this, [this] { splashGone = clock.elapsed(); });
        } else if (event->type() == QEvent::Show && qobject_cast<frmMain *>(watched)) {
            mainShown = clock.elapsed();
        }
        return false;
    }
};

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_ui.reset(); }
    void splashCoversTheFirstSecond();
    void slowLoadEndsTheWaitAtOnce();
    void splashWindow();
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

void tst_Startup::splashCoversTheFirstSecond()
{
    Timeline timeline;
    m_ui->window = modMain::Main(QStringLiteral("COM7"));

    QVERIFY(m_ui->window->isVisible());
    QVERIFY(timeline.splashShown >= 0);
    QVERIFY(timeline.splashGone >= 0 && timeline.splashGone <= timeline.mainShown);
    QVERIFY(timeline.mainShown - timeline.splashShown >= 1000);
    QVERIFY(timeline.mainShown - timeline.splashShown < 1500);
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
    QVERIFY(loadEnded > 0 && timeline.mainShown >= loadEnded);
    QVERIFY(timeline.mainShown - loadEnded < 300);
}

void tst_Startup::splashWindow()
{
    QPointer<frmSplash> splash = new frmSplash;
    splash->show();
    QVERIFY(QTest::qWaitForWindowExposed(splash));
    QVERIFY(splash->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(splash->size(), QSize(552, 262));
    QCOMPARE(splash->geometry().center(), QGuiApplication::primaryScreen()->geometry().center());
    QCOMPARE(splash->findChild<QLabel *>("lblVersion")->text(), QStringLiteral("Version 2.1"));

    QTest::mouseClick(splash, Qt::LeftButton);
    QTest::keyClick(splash->windowHandle(), Qt::Key_Escape);
    QTest::qWait(100);
    QVERIFY(splash && splash->isVisible());  // neither a click nor a key removes it
    delete splash;
}

void tst_Startup::everyWayOfClosingUnloadsTheOtherWindows_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("EXIT clicked") << "click";
    QTest::newRow("Esc, invalid field left unchecked") << "escape";
    QTest::newRow("title bar, invalid field left unchecked") << "title bar";
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
    auto *board = m_ui->control<QLineEdit>(QStringLiteral("BoardNum"));

    if (how == u"click") {
        m_ui->click(QStringLiteral("Exit"));
    } else {
        board->setText(QStringLiteral("abc"));
        board->setFocus();
        if (how == u"escape")
            m_ui->press(Qt::Key_Escape);
        else
            m_ui->window->windowHandle()->close();
    }

    QTRY_VERIFY(!m_ui->window);
    QVERIFY(!other.isVisible());
    QCOMPARE(m_ui->boxTexts(), QStringList());
}

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
