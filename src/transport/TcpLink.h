#ifndef TCPLINK_H
#define TCPLINK_H

#include "common/Outcome.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

// The line through a serial device server that passes a raw TCP port
// through to it: the frames as one byte stream, as on a serial line. A frame
// is queued whole or refused whole. Once kept open, a connection that ends
// or cannot be made is tried again, ever later up to half a minute; a new
// connection starts with an empty queue, so no frame goes out in part.
class TcpLink : public QObject
{
    Q_OBJECT

public:
    TcpLink();
    ~TcpLink() override;

    // Connects, waiting at most connectMs: TcpCannotConnect with the
    // system's reason when the host does not resolve or does not accept.
    Outcome open(const QString &host, int port);
    // Connects in the background and keeps connecting (connected, dropped).
    void keepOpen(const QString &host, int port);
    Outcome write(const QByteArray &frame);
    // Waits until every queued byte has been handed to the system, at most
    // timeoutMs; what has not by then is dropped and counted as unsent.
    Outcome drain(int timeoutMs);

    bool isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    qint64 bytesToWrite() const { return isConnected() ? m_socket.bytesToWrite() : 0; }
    QString address() const; // "HOST:PORT"

    static constexpr int connectMs = 5000;
    static constexpr int firstRetryMs = 1000;
    static constexpr int lastRetryMs = 30000;
    static constexpr qint64 queueLimit = 64 * 1024; // as a serial line's

signals:
    // Bytes queued will not go out: the connection ended.
    void lost(const Outcome &outcome);
    // Kept open: the connection ended or could not be made (TcpRetrying).
    void dropped(const Outcome &outcome);
    // Kept open: a connection was made.
    void connected();

private:
    void onError();
    void onConnected();
    void onTimer();
    void attempt();
    void end(const QString &reason);
    Outcome failure(Outcome::Kind kind, const QString &description, qint64 unsent = 0) const;

    QTcpSocket m_socket;
    QTimer m_timer; // the next attempt, or the end of one that takes too long
    QString m_host;
    int m_port = 0;
    int m_retryMs = firstRetryMs;
    bool m_keepOpen = false;
    bool m_waiting = false; // for the next attempt
    QString m_reason; // why the last connection ended
};

#endif
