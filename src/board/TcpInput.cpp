#include "board/TcpInput.h"

#include "transport/TransportArgument.h"

#include <QHostInfo>
#include <QTcpSocket>

TcpInput::TcpInput(const QString &host, quint16 port)
    : m_host(host)
    , m_port(port)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TcpInput::accept);
}

bool TcpInput::open(QString &reason)
{
    // An address as written is taken as it is: looking it up would ask the
    // name service for its name first.
    QHostAddress address(m_host);
    if (address.isNull()) {
        const QHostInfo found = QHostInfo::fromName(m_host);
        if (found.addresses().isEmpty()) {
            reason = found.errorString();
            return false;
        }
        address = found.addresses().constFirst();
    }
    if (m_server.listen(address, m_port))
        return true;
    reason = m_server.errorString();
    return false;
}

QString TcpInput::title() const
{
    return QStringLiteral("TCP ") + TransportArgument::address(m_host, m_port);
}

void TcpInput::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        const QString source = TransportArgument::address(socket->peerAddress().toString(), socket->peerPort());
        connect(socket, &QTcpSocket::readyRead, this,
                [this, socket, source] { emit received(socket->readAll(), source); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket, source] {
            emit ended(source);
            socket->deleteLater();
        });
    }
}
