#include "transport/UdpLink.h"

#include <QHostAddress>

Outcome UdpLink::write(const QByteArray &frame)
{
    // Qt allows broadcasts on every UDP socket it creates.
    if (m_socket.writeDatagram(frame, QHostAddress(QHostAddress::Broadcast), m_remotePort) == frame.size())
        return {};
    return { Outcome::SendFailed, {}, CommMode::Udp, m_remotePort, m_socket.errorString() };
}
