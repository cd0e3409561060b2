#ifndef TRANSPORT_H
#define TRANSPORT_H

#include "common/CommMode.h"
#include "common/Outcome.h"
#include "transport/SerialLink.h"
#include "transport/UdpLink.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

// The one output channel of a run, chosen by the command line. It is
// released only when its owner is destroyed.
class Transport : public QObject
{
    Q_OBJECT

public:
    // The device configured for COM<number>, or an empty text for the default.
    using PortMapping = std::function<QString(int number)>;

    Outcome open(const QString &commandLine, const PortMapping &mapping);
    Outcome send(const QByteArray &frame);
    // Serial: returns once every byte has left the computer, or drops what
    // has not left after timeoutMs and says how much; UDP: at once.
    Outcome drain(int timeoutMs);
    static constexpr int closingDrainMs = SerialLink::closingDrainMs;

    CommMode mode() const { return m_mode; }
    int port() const { return m_port; }
    // Serial: bytes still waiting to leave the computer; UDP: none.
    qint64 bytesToWrite() const { return m_mode == CommMode::Serial ? m_serial.bytesToWrite() : 0; }
    // "COM7 (/dev/ttyUSB0)" or "UDP port 5000 (255.255.255.255)".
    QString target() const;

signals:
    // Frames already queued will not go out: the serial device went away.
    void lost(const Outcome &outcome);
    // The serial device went away between writes (SerialLink::gone).
    void gone(const Outcome &outcome);

private:
    CommMode m_mode = CommMode::None;
    int m_port = 0;
    SerialLink m_serial;
    UdpLink m_udp;
};

#endif
