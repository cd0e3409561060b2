#include "transport/TcpLink.h"

#include "transport/TransportArgument.h"

#include <QDeadlineTimer>

TcpLink::TcpLink()
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &TcpLink::onTimer);
    connect(&m_socket, &QAbstractSocket::errorOccurred, this, &TcpLink::onError);
    connect(&m_socket, &QAbstractSocket::connected, this, &TcpLink::onConnected);
    // A device server may echo or report; nothing from it is used.
    connect(&m_socket, &QIODevice::readyRead, this, [this] { m_socket.readAll(); });
}

TcpLink::~TcpLink()
{
    if (!isConnected())
        return;
    // The socket's destructor would drop whatever Qt still buffers.
    drain(connectMs);
    m_socket.disconnectFromHost();
}

QString TcpLink::address() const
{
    return TransportArgument::address(m_host, m_port);
}

Outcome TcpLink::open(const QString &host, int port)
{
    m_host = host;
    m_port = port;
    m_socket.connectToHost(host, quint16(port), QIODevice::ReadWrite);
    if (m_socket.waitForConnected(connectMs))
        return {};
    const Outcome outcome = failure(Outcome::TcpCannotConnect, m_socket.errorString());
    m_socket.abort();
    return outcome;
}

void TcpLink::keepOpen(const QString &host, int port)
{
    m_host = host;
    m_port = port;
    m_keepOpen = true;
    attempt();
}

void TcpLink::attempt()
{
    m_waiting = false;
    m_socket.abort(); // drops what an earlier connection still held
    m_socket.connectToHost(m_host, quint16(m_port), QIODevice::ReadWrite);
    m_timer.start(connectMs);
}

void TcpLink::onConnected()
{
    m_socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (!m_keepOpen)
        return;
    m_timer.stop();
    m_retryMs = firstRetryMs;
    emit connected();
}

void TcpLink::onTimer()
{
    if (m_waiting) {
        attempt();
    } else if (!isConnected()) {
        m_socket.abort();
        end(QStringLiteral("The connection timed out"));
    }
}

void TcpLink::onError()
{
    if (m_socket.error() != QAbstractSocket::SocketTimeoutError) // a wait that ended is no end
        end(m_socket.errorString());
}

// The connection is over. Kept open, the next one starts afresh, at a
// frame's first byte.
void TcpLink::end(const QString &reason)
{
    if (m_waiting)
        return; // told already
    m_reason = reason;
    if (const qint64 unsent = m_socket.bytesToWrite(); unsent > 0)
        emit lost(failure(Outcome::SendFailed, m_reason, unsent));
    if (!m_keepOpen)
        return;
    m_waiting = true;
    Outcome retrying = failure(Outcome::TcpRetrying, m_reason);
    retrying.limit = m_retryMs / 1000;
    emit dropped(retrying);
    m_timer.start(m_retryMs);
    m_retryMs = qMin(2 * m_retryMs, lastRetryMs);
}

Outcome TcpLink::write(const QByteArray &frame)
{
    if (!isConnected())
        return failure(Outcome::SendFailed,
                       m_reason.isEmpty() ? QStringLiteral("The connection is not open") : m_reason);
    const qint64 waiting = m_socket.bytesToWrite();
    if (waiting > 0 && waiting + frame.size() > queueLimit)
        return failure(Outcome::SendFailed,
                       QStringLiteral("The line has not taken the %1 bytes sent before").arg(waiting));
    if (m_socket.write(frame) != frame.size())
        return failure(Outcome::SendFailed, m_socket.errorString());
    if (waiting == 0)
        m_socket.flush();
    return {};
}

Outcome TcpLink::drain(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (isConnected() && m_socket.bytesToWrite() > 0 && !deadline.hasExpired())
        m_socket.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime())));
    // Kept open, a connection that ended was told of when it did.
    if (!isConnected() && m_keepOpen)
        return {};
    if (!isConnected())
        return failure(Outcome::SendFailed, m_reason.isEmpty() ? m_socket.errorString() : m_reason);
    const qint64 unsent = m_socket.bytesToWrite();
    if (unsent == 0)
        return {};
    // Given up: what is still queued must never go out later.
    m_reason = QStringLiteral("The line did not take the frames in time");
    m_socket.abort();
    return failure(Outcome::SendFailed, m_reason, unsent);
}

Outcome TcpLink::failure(Outcome::Kind kind, const QString &description, qint64 unsent) const
{
    Outcome outcome { kind, address(), CommMode::Tcp, m_port, description };
    outcome.unsent = unsent;
    return outcome;
}
