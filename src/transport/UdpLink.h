#ifndef UDPLINK_H
#define UDPLINK_H

#include "common/Outcome.h"

#include <QByteArray>
#include <QUdpSocket>

// The UDP output channel: one datagram per frame to 255.255.255.255. The
// socket binds no chosen local port, so several copies can run at once.
class UdpLink
{
public:
    // The most bytes one datagram carries over IPv4.
    static constexpr qint64 maxDatagram = 65507;

    void setRemotePort(quint16 port) { m_remotePort = port; }
    Outcome write(const QByteArray &frame);

private:
    QUdpSocket m_socket;
    quint16 m_remotePort = 0;
};

#endif
