#include "board/UdpInput.h"

#include <QNetworkDatagram>

UdpInput::UdpInput(quint16 port)
    : m_port(port)
{
    connect(&m_socket, &QUdpSocket::readyRead, this, &UdpInput::readPending);
}

bool UdpInput::open(QString &reason)
{
    // Shared, as several boards on one network all hear the same port.
    if (m_socket.bind(QHostAddress::Any, m_port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
        return true;
    reason = m_socket.errorString();
    return false;
}

QString UdpInput::title() const
{
    return QStringLiteral("UDP %1").arg(m_port);
}

void UdpInput::readPending()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        QHostAddress sender = datagram.senderAddress();
        bool isV4 = false;
        const quint32 v4 = sender.toIPv4Address(&isV4);
        if (isV4)
            sender = QHostAddress(v4);
        emit received(datagram.data(), QStringLiteral("%1:%2").arg(sender.toString()).arg(datagram.senderPort()));
    }
}
