#include "serve/api/ApiListener.h"

#include "serve/api/ConnectionGuard.h"

#include <QTcpSocket>

void ApiListener::incomingConnection(qintptr descriptor)
{
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    if (m_connections >= maxConnections) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    // An answer is one write; it should not wait for the client's ack of the last one.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    ++m_connections;
    // Counted by its guard, which goes with the socket: the HTTP server drops
    // every connection to a socket's signals when it becomes a WebSocket.
    auto *guard = new ConnectionGuard(socket);
    connect(guard, &QObject::destroyed, this, [this] { --m_connections; });
    m_unhooked.append(guard);
    addPendingConnection(socket);
}

void ApiListener::hookAfterServer()
{
    for (const QPointer<ConnectionGuard> &guard : std::exchange(m_unhooked, {})) {
        if (guard)
            connect(qobject_cast<QTcpSocket *>(guard->parent()), &QTcpSocket::readyRead, guard,
                    &ConnectionGuard::afterServer);
    }
}
