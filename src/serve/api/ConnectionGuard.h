#ifndef CONNECTIONGUARD_H
#define CONNECTIONGUARD_H

#include "common/Outcome.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

class QTcpSocket;

// Watches one HTTP connection ahead of the HTTP server, which reads a whole
// body before anyone can look at it, reads on whatever a client sends and
// never gives up on a silent client. It sees each byte once, before the
// server does: its readyRead slot runs first, and afterServer() (connected
// after the server's slot) notes what the server left, as it takes pipelined
// requests one per readyRead.
//
// It frames the requests strictly, so that the server can never read them
// otherwise: a head over 64 KiB, a body over 1 MiB, a length given twice or
// beside a transfer coding, a line the server's own parser would drop, or a
// request that is not HTTP/1.x is answered at once and the connection closed.
// Answers the client does not take stop the reading: at most answersLimit
// answers or answerBytesLimit bytes wait, and a connection that makes no
// progress for idleMs (nothing taken while answers wait, nothing sent while a
// request is half-sent, nothing at all when idle) is closed.
class ConnectionGuard : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 headLimit = 64 * 1024;
    static constexpr qint64 bodyLimit = 1024 * 1024;
    // The server's header parser drops every header of a head past these, so
    // it would read no body where the guard counts one.
    static constexpr int fieldsLimit = 100;
    static constexpr int fieldLimit = 8 * 1024;
    static constexpr int answersLimit = 8;
    static constexpr qint64 answerBytesLimit = 1024 * 1024;
    // The server keeps a request in the socket's buffer until it is whole:
    // room for a head, and for a body while one is on its way.
    static constexpr qint64 readLimit = headLimit + 64 * 1024;
    static constexpr qint64 bodyReadLimit = readLimit + bodyLimit;
    static constexpr int idleMs = 10000;
    static constexpr int lingerMs = 2000; // reading and dropping after the last answer, so it is not reset away

    // What becomes of the connection once a request is answered.
    struct Manner
    {
        bool close = false;
        bool keepAliveSaid = false; // HTTP/1.0 that asked to keep the connection
        bool body = false;
    };

    explicit ConnectionGuard(QTcpSocket *socket);
    static ConnectionGuard *of(QTcpSocket *socket);

    void afterServer();
    Manner nextAnswer() const; // the oldest request not answered yet
    void answered(); // the server wrote that answer
    // The connection became a WebSocket, which bounds its own reading and
    // writing: the guard lets it be, idle or not.
    void upgraded();

private:
    void onReadyRead();
    void feed(QByteArray bytes);
    struct Framing
    {
        Manner manner;
        qint64 length = 0;
        int lengths = 0; // Content-Length and Transfer-Encoding headers
        bool coded = false;
        bool continueExpected = false;
        Outcome::Kind refusal() const;
    };

    bool takeHead(const QByteArray &head);
    Outcome::Kind takeField(const QByteArray &line, Framing &framing);
    void fitReadBuffer();
    void pause();
    void resume();
    void refuse(const Outcome &outcome);
    void finish();
    void onWritten(qint64 bytes);
    void halfClose();
    qint64 unsent() const; // with TLS, what waits to be encrypted and what waits encrypted
    void onTimeout();
    void close();

    QTcpSocket *m_socket;
    QByteArray m_head;
    qint64 m_blank = 0; // line breaks before a request
    qint64 m_bodyLeft = 0;
    qsizetype m_seenLeft = 0; // bytes at the buffer's front already fed
    QList<Manner> m_requests; // framed, not answered yet
    QList<qint64> m_answerEnds; // where each unsent answer ends in the written stream
    qint64 m_written = 0;
    bool m_paused = false; // what arrives is held from the server
    bool m_closing = false; // no more requests: the answers go out, then the close
    bool m_upgraded = false;
    Outcome m_refusal; // waits for the answers to the requests before it
    QTimer m_timer;
};

#endif
