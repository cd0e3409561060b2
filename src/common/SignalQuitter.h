#ifndef SIGNALQUITTER_H
#define SIGNALQUITTER_H

#include <QObject>
#include <QSocketNotifier>

#include <memory>

// Ends the event loop with code 0 on SIGINT or SIGTERM, so the program closes
// its input and exits as on any other orderly stop. The handler only writes
// to a pipe; the loop does the rest.
class SignalQuitter : public QObject
{
    Q_OBJECT

public:
    explicit SignalQuitter(QObject *parent = nullptr);

private:
    static void onSignal(int);
    static int s_pipe[2];
    std::unique_ptr<QSocketNotifier> m_notifier;
};

#endif
