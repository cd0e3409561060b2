#ifndef APILISTENER_H
#define APILISTENER_H

#include <QTcpServer>

// The HTTP server's listening socket: each connection gets its guard before
// the server sees it, and beyond maxConnections new ones are closed at once,
// so a flood of idle clients cannot take every file descriptor.
class ApiListener : public QTcpServer
{
    Q_OBJECT

public:
    static constexpr int maxConnections = 256;

    using QTcpServer::QTcpServer;
    int connections() const { return m_connections; }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    int m_connections = 0;
};

#endif
