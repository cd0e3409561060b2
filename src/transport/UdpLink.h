#ifndef UDPLINK_H
#define UDPLINK_H

#include <QByteArray>
#include <QString>
#include <QUdpSocket>

// The UDP output channel: one datagram per frame to 255.255.255.255. The
// socket binds no chosen local port, so several copies can run at once.
class UdpLink
{
public:
    void setRemotePort(quint16 port) { m_remotePort = port; }
    // Returns the system's description of a failed send, or an empty text.
    QString write(const QByteArray &bytes);

private:
    QUdpSocket m_socket;
    quint16 m_remotePort = 0;
};

#endif
