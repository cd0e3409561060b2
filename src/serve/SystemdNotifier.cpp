#include "serve/SystemdNotifier.h"

#include <systemd/sd-daemon.h>

#include <chrono>
#include <cstdint>

SystemdNotifier::SystemdNotifier(QObject *parent)
    : QObject(parent)
{
    connect(&m_watchdog, &QTimer::timeout, this, [] { sd_notify(0, "WATCHDOG=1"); });
}

void SystemdNotifier::ready()
{
    sd_notify(0, "READY=1");
    std::uint64_t usec = 0;
    if (sd_watchdog_enabled(0, &usec) <= 0)
        return;
    // Twice in each interval systemd allows, as sd_watchdog_enabled(3)
    // advises, so one late turn of a busy loop is not taken for a hang.
    using namespace std::chrono;
    m_watchdog.start(duration_cast<milliseconds>(microseconds(usec) / 2));
}

void SystemdNotifier::stopping()
{
    m_watchdog.stop();
    sd_notify(0, "STOPPING=1");
}
