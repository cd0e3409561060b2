#include "transport/UdpLink.h"

#include <QHostAddress>

QString UdpLink::write(const QByteArray &bytes)
{
    // Qt allows broadcasts on every UDP socket it creates.
    if (m_socket.writeDatagram(bytes, QHostAddress(QHostAddress::Broadcast), m_remotePort) == bytes.size())
        return {};
    return m_socket.errorString();
}
