#include "transport/Transport.h"

#include "transport/TransportArgument.h"

Outcome Transport::open(const QString &commandLine, const PortMapping &mapping, TcpLoss tcpLoss)
{
    m_mode = CommMode::None;
    const TransportArgument argument = TransportArgument::parse(commandLine);
    m_port = argument.port;
    m_host = argument.host;
    if (argument.mode == CommMode::None)
        return { argument.refusal, commandLine };

    if (argument.mode == CommMode::Udp) {
        m_udp.setRemotePort(quint16(argument.port));
        m_mode = CommMode::Udp;
        return {};
    }
    if (argument.mode == CommMode::Tcp)
        return openTcp(tcpLoss);
    const QString mapped = mapping ? mapping(argument.port) : QString();
    const Outcome outcome
            = m_serial.open(argument.port, mapped.isEmpty() ? SerialLink::defaultDevice(argument.port) : mapped);
    if (outcome.ok()) {
        m_mode = CommMode::Serial;
        connect(&m_serial, &SerialLink::lost, this, &Transport::lost);
        connect(&m_serial, &SerialLink::gone, this, &Transport::gone);
    }
    return outcome;
}

Outcome Transport::openTcp(TcpLoss tcpLoss)
{
    connect(&m_tcp, &TcpLink::lost, this, &Transport::lost, Qt::UniqueConnection);
    if (tcpLoss == TcpLoss::Reconnects) {
        connect(&m_tcp, &TcpLink::dropped, this, &Transport::dropped);
        connect(&m_tcp, &TcpLink::connected, this, &Transport::connected);
        m_tcp.keepOpen(m_host, m_port);
        m_mode = CommMode::Tcp;
        return {};
    }
    const Outcome outcome = m_tcp.open(m_host, m_port);
    if (outcome.ok())
        m_mode = CommMode::Tcp;
    return outcome;
}

Outcome Transport::send(const QByteArray &frame)
{
    switch (m_mode) {
    case CommMode::None:
        break;
    case CommMode::Serial:
        return m_serial.write(frame);
    case CommMode::Udp:
        return m_udp.write(frame);
    case CommMode::Tcp:
        return m_tcp.write(frame);
    }
    return { Outcome::SendFailed, {}, CommMode::None, m_port, QStringLiteral("No port is open") };
}

Outcome Transport::drain(int timeoutMs)
{
    if (m_mode == CommMode::Tcp)
        return m_tcp.drain(timeoutMs);
    return m_mode == CommMode::Serial ? m_serial.drain(timeoutMs) : Outcome();
}

qint64 Transport::bytesToWrite() const
{
    if (m_mode == CommMode::Tcp)
        return m_tcp.bytesToWrite();
    return m_mode == CommMode::Serial ? m_serial.bytesToWrite() : 0;
}

QString Transport::target() const
{
    if (m_mode == CommMode::Serial)
        return QStringLiteral("COM%1 (%2)").arg(m_port).arg(m_serial.device());
    if (m_mode == CommMode::Tcp)
        return QStringLiteral("TCP ") + m_tcp.address();
    return QStringLiteral("UDP port %1 (255.255.255.255)").arg(m_port);
}
