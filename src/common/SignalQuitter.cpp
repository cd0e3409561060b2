#include "common/SignalQuitter.h"

#include <QCoreApplication>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

int SignalQuitter::s_pipe[2] = { -1, -1 };

SignalQuitter::SignalQuitter(QObject *parent)
    : QObject(parent)
{
    // A reader that goes away must not kill the log with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    if (::pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(s_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [] { QCoreApplication::exit(0); });
    struct sigaction action
    { };
    action.sa_handler = &SignalQuitter::onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void SignalQuitter::onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(s_pipe[1], &byte, 1);
}
