#ifndef SYSTEMDNOTIFIER_H
#define SYSTEMDNOTIFIER_H

#include <QObject>
#include <QTimer>

// What systemd learns of a service it started as Type=notify: that it is
// ready, that its event loop still turns (the watchdog), that it is stopping.
// Started any other way (no NOTIFY_SOCKET), it tells nothing.
class SystemdNotifier : public QObject
{
    Q_OBJECT

public:
    explicit SystemdNotifier(QObject *parent = nullptr);

    // Once the service listens and its store is open; the pings then come
    // from the event loop, so a loop that hangs misses them.
    void ready();
    void stopping();

private:
    QTimer m_watchdog;
};

#endif
