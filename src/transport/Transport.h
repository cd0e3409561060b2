#ifndef TRANSPORT_H
#define TRANSPORT_H

#include "common/CommMode.h"
#include "common/Outcome.h"
#include "transport/SerialLink.h"
#include "transport/TcpLink.h"
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

    // What a TCP line does when its connection ends: a window or a script
    // is told; a service connects again (TcpLink::keepOpen).
    enum class TcpLoss { Fails, Reconnects };

    Outcome open(const QString &commandLine, const PortMapping &mapping, TcpLoss tcpLoss = TcpLoss::Fails);
    Outcome send(const QByteArray &frame);
    // Serial: returns once every byte has left the computer, or drops what
    // has not left after timeoutMs and says how much; TCP: the same, once
    // handed to the system; UDP: at once.
    Outcome drain(int timeoutMs);
    static constexpr int closingDrainMs = SerialLink::closingDrainMs;

    CommMode mode() const { return m_mode; }
    int port() const { return m_port; }
    QString host() const { return m_host; } // TCP
    // A byte stream (serial, TCP) rather than datagrams: paced as the line takes it.
    bool isStream() const { return m_mode == CommMode::Serial || m_mode == CommMode::Tcp; }
    // False only for a TCP line between two connections.
    bool isConnected() const { return m_mode != CommMode::None && (m_mode != CommMode::Tcp || m_tcp.isConnected()); }
    // Serial, TCP: bytes still waiting to leave the computer; UDP: none.
    qint64 bytesToWrite() const;
    // "COM7 (/dev/ttyUSB0)", "UDP port 5000 (255.255.255.255)" or "TCP HOST:PORT".
    QString target() const;

signals:
    // Frames already queued will not go out: the serial device went away.
    void lost(const Outcome &outcome);
    // The serial device went away between writes (SerialLink::gone).
    void gone(const Outcome &outcome);
    // A TCP line that reconnects: its connection ended or could not be made
    // (TcpRetrying), and a connection was made.
    void dropped(const Outcome &outcome);
    void connected();

private:
    Outcome openTcp(TcpLoss tcpLoss);

    CommMode m_mode = CommMode::None;
    int m_port = 0;
    QString m_host;
    SerialLink m_serial;
    TcpLink m_tcp;
    UdpLink m_udp;
};

#endif
