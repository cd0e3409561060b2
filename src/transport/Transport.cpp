#include "transport/Transport.h"

#include "transport/TransportArgument.h"

Outcome Transport::open(const QString &commandLine, const PortMapping &mapping)
{
    m_mode = CommMode::None;
    const TransportArgument argument = TransportArgument::parse(commandLine);
    m_port = argument.port;
    if (argument.mode == CommMode::None)
        return { Outcome::ArgumentNotRecognized, commandLine };

    if (argument.mode == CommMode::Udp) {
        m_udp.setRemotePort(quint16(argument.port));
        m_mode = CommMode::Udp;
        return {};
    }
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

Outcome Transport::send(const QByteArray &frame)
{
    if (m_mode == CommMode::None)
        return { Outcome::SendFailed, {}, CommMode::None, m_port, QStringLiteral("No port is open") };
    return m_mode == CommMode::Serial ? m_serial.write(frame) : m_udp.write(frame);
}

Outcome Transport::drain(int timeoutMs)
{
    return m_mode == CommMode::Serial ? m_serial.drain(timeoutMs) : Outcome();
}

QString Transport::target() const
{
    if (m_mode == CommMode::Serial)
        return QStringLiteral("COM%1 (%2)").arg(m_port).arg(m_serial.device());
    return QStringLiteral("UDP port %1 (255.255.255.255)").arg(m_port);
}
