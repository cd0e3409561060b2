#include "serve/api/ApiListener.h"

#include "serve/api/ConnectionGuard.h"

#include <QSslSocket>

void ApiListener::setTls(const QSslConfiguration &configuration)
{
    m_tls = configuration;
    m_secure = true;
}

void ApiListener::incomingConnection(qintptr descriptor)
{
    QTcpSocket *socket = m_secure ? new QSslSocket(this) : new QTcpSocket(this);
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
    if (!m_secure) {
        m_unhooked.append(guard);
        addPendingConnection(socket);
        return;
    }
    auto *secure = static_cast<QSslSocket *>(socket);
    secure->setSslConfiguration(m_tls);
    connect(secure, &QSslSocket::encrypted, this, [this, secure, guard] {
        addPendingConnection(secure);
        m_unhooked.append(guard);
        hookAfterServer();
    });
    connect(secure, &QAbstractSocket::errorOccurred, this, [secure] {
        if (!secure->isEncrypted()) {
            secure->abort();
            secure->deleteLater();
        }
    });
    secure->startServerEncryption();
}

void ApiListener::hookAfterServer()
{
    for (const QPointer<ConnectionGuard> &guard : std::exchange(m_unhooked, {})) {
        if (guard)
            connect(qobject_cast<QTcpSocket *>(guard->parent()), &QTcpSocket::readyRead, guard,
                    &ConnectionGuard::afterServer);
    }
}
