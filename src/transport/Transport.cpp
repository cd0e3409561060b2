#include "transport/Transport.h"

#include "transport/TransportArgument.h"

QString Transport::open(const QString &commandLine)
{
    m_mode = None;
    const TransportArgument argument = TransportArgument::parse(commandLine);
    m_port = argument.port;
    switch (argument.kind) {
    case TransportArgument::NotRecognized:
        return TransportArgument::notRecognizedMessage(commandLine);
    case TransportArgument::Udp:
        m_udp.setRemotePort(quint16(argument.port));
        m_mode = Udp;
        return {};
    case TransportArgument::Serial:
        break;
    }

    const SerialLink::OpenResult result = m_serial.open(argument.port);
    if (result.failure == SerialLink::Failure::None) {
        m_mode = Serial;
        return {};
    }
    const QString ending = result.failure == SerialLink::Failure::SetUp
            ? QStringLiteral("\" is not available on this system")
            : QStringLiteral("\" cannot be opened");
    return QStringLiteral("Comm Port \"COM%1").arg(argument.port) + ending + u'\r'
            + result.description;
}

QString Transport::send(const QByteArray &frame)
{
    QString error;
    QString target;
    if (m_mode == Serial) {
        error = m_serial.write(frame);
        target = QStringLiteral("COM%1").arg(m_port);
    } else {
        error = m_udp.write(frame);
        target = QStringLiteral("UDP port %1").arg(m_port);
    }
    if (error.isEmpty())
        return {};
    return QStringLiteral("Unable to send to ") + target + u'\r' + error;
}
