#ifndef APILISTENER_H
#define APILISTENER_H

#include <QList>
#include <QPointer>
#include <QSslConfiguration>
#include <QTcpServer>

class ConnectionGuard;

// The HTTP server's listening socket: each connection gets its guard before
// the server sees it, and beyond maxConnections new ones are closed at once,
// so a flood of idle clients cannot take every file descriptor. With TLS, a
// connection reaches the server once its handshake is done; one that fails
// it (plain HTTP among them) is closed unanswered, one that stalls is closed
// by its guard.
class ApiListener : public QTcpServer
{
    Q_OBJECT

public:
    static constexpr int maxConnections = 256;

    using QTcpServer::QTcpServer;
    int connections() const { return m_connections; }
    void setTls(const QSslConfiguration &configuration);
    // Connected to newConnection after the HTTP server is bound, so that the
    // guards' afterServer() runs after the server's readyRead slot.
    void hookAfterServer();

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    int m_connections = 0;
    QList<QPointer<ConnectionGuard>> m_unhooked;
    QSslConfiguration m_tls;
    bool m_secure = false;
};

#endif
