#include "app/modMain.h"

#include "app/frmMain.h"
#include "info/frmSplash.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QIcon>
#include <QTimer>

namespace modMain {

namespace {
constexpr qint64 splashMs = 1000;
}

frmMain *Main(const QString &commandLine)
{
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/icon.png")));

    auto *splash = new frmSplash;
    splash->show();
    QCoreApplication::processEvents();
    splash->repaint();

    // A monotonic clock: the wait ends after one second also across midnight.
    QElapsedTimer shown;
    shown.start();

    auto *window = new frmMain(commandLine);
    window->Form_Load();

    const qint64 remaining = splashMs - shown.elapsed();
    if (remaining > 0) {
        QEventLoop wait;
        QTimer::singleShot(std::chrono::milliseconds(remaining), Qt::PreciseTimer, &wait, &QEventLoop::quit);
        wait.exec();
    }

    delete splash;
    window->show();
    return window;
}

} // namespace modMain
