#ifndef CONNECTIONGUARD_H
#define CONNECTIONGUARD_H

#include "common/Outcome.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

class QTcpSocket;

// Watches one HTTP connection ahead of the HTTP server, which reads a whole
// body before anyone can look at it and never gives up on a silent client.
// It sees each byte once, before the server does: its readyRead slot runs
// first, and afterServer() (connected after the server's slot) notes what
// the server left, as it takes pipelined requests one per readyRead. It
// follows the requests' framing: a head over 64 KiB, a body over 1 MiB or a request that is not HTTP/1.x is answered at
// once and the connection closed; a connection that sends no whole request in time is closed, so idle or half-sent
// requests never hold a socket for long.
class ConnectionGuard : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 headLimit = 64 * 1024;
    static constexpr qint64 bodyLimit = 1024 * 1024;
    static constexpr int requestMs = 10000; // from the connection or the last request to the next request's end
    static constexpr int lingerMs = 2000; // reading and dropping after a refusal, so the answer is not reset away

    explicit ConnectionGuard(QTcpSocket *socket);
    void afterServer();

private:
    void onReadyRead();
    void feed(QByteArray bytes);
    bool takeHead(const QByteArray &head);
    void requestEnded();
    void closeWhenAnswered();
    void refuse(const Outcome &outcome);
    void onTimeout();
    void onWritten();
    void close();

    QTcpSocket *m_socket;
    QByteArray m_head;
    qint64 m_bodyLeft = 0;
    qsizetype m_seenLeft = 0; // bytes at the buffer's front already fed
    bool m_refused = false;
    bool m_closeRequested = false; // by the request being read: Connection: close, or HTTP/1.0
    bool m_closing = false;
    QTimer m_timer;
};

#endif
