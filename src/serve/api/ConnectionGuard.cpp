#include "serve/api/ConnectionGuard.h"

#include "serve/api/ApiStatus.h"

#include <QRegularExpression>
#include <QTcpSocket>

#include <sys/socket.h>

ConnectionGuard::ConnectionGuard(QTcpSocket *socket)
    : QObject(socket)
    , m_socket(socket)
{
    connect(socket, &QTcpSocket::readyRead, this, &ConnectionGuard::onReadyRead);
    connect(socket, &QTcpSocket::bytesWritten, this, &ConnectionGuard::onWritten);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ConnectionGuard::onTimeout);
    m_timer.start(requestMs);
}

void ConnectionGuard::onReadyRead()
{
    if (m_refused) {
        m_socket->skip(m_socket->bytesAvailable());
        return;
    }
    // What the server left after its last turn was seen before.
    const QByteArray waiting = m_socket->peek(m_socket->bytesAvailable());
    const qsizetype seen = qMin(m_seenLeft, waiting.size());
    m_seenLeft = waiting.size();
    feed(waiting.mid(seen));
}

void ConnectionGuard::afterServer()
{
    m_seenLeft = m_socket->bytesAvailable();
}

void ConnectionGuard::feed(QByteArray bytes)
{
    while (!bytes.isEmpty() && !m_refused) {
        if (m_bodyLeft > 0) {
            const qint64 taken = qMin<qint64>(m_bodyLeft, bytes.size());
            m_bodyLeft -= taken;
            bytes.remove(0, taken);
            if (m_bodyLeft == 0)
                requestEnded();
            continue;
        }
        if (m_head.isEmpty()) { // line breaks between requests are allowed
            qsizetype start = 0;
            while (start < bytes.size() && (bytes.at(start) == '\r' || bytes.at(start) == '\n'))
                ++start;
            bytes.remove(0, start);
            if (bytes.isEmpty())
                break;
        }
        const qsizetype searchFrom = qMax<qsizetype>(0, m_head.size() - 3);
        m_head += bytes;
        bytes.clear();
        const qsizetype end = m_head.indexOf("\r\n\r\n", searchFrom);
        if (end < 0) {
            if (m_head.size() > headLimit)
                refuse({ Outcome::RequestHeadTooLarge });
            break;
        }
        bytes = m_head.mid(end + 4);
        const QByteArray head = m_head.left(end);
        m_head.clear();
        if (head.size() > headLimit)
            refuse({ Outcome::RequestHeadTooLarge });
        else if (takeHead(head) && m_bodyLeft == 0)
            requestEnded();
    }
}

void ConnectionGuard::requestEnded()
{
    m_timer.start(requestMs);
    if (m_closeRequested && !std::exchange(m_closing, true))
        QMetaObject::invokeMethod(this, &ConnectionGuard::closeWhenAnswered, Qt::QueuedConnection);
}

// The server answers one request per readyRead and signals again for the
// rest; once it has taken every byte, the last request is answered.
void ConnectionGuard::closeWhenAnswered()
{
    if (m_refused)
        return;
    if (m_socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &ConnectionGuard::closeWhenAnswered, Qt::QueuedConnection);
    else
        m_socket->disconnectFromHost();
}

// Reads what the framing needs from a request's head; false when refused.
bool ConnectionGuard::takeHead(const QByteArray &head)
{
    static const QRegularExpression requestLine(QStringLiteral("^[A-Z]+ [^ ]+ HTTP/1\\.[01]$"));
    const QList<QByteArray> lines = head.split('\n');
    if (!requestLine.match(QString::fromLatin1(lines.first().trimmed())).hasMatch()) {
        refuse({ Outcome::RequestMalformed });
        return false;
    }
    qint64 length = 0;
    bool continueExpected = false;
    // The server keeps every connection open; a client that asked otherwise
    // (or speaks HTTP/1.0) may wait for the close to know the answer ended.
    m_closeRequested = lines.first().trimmed().endsWith("1.0");
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "transfer-encoding") {
            refuse({ Outcome::LengthRequired });
            return false;
        }
        if (name == "content-length") {
            bool ok = !value.isEmpty();
            for (const char c : value)
                ok = ok && c >= '0' && c <= '9';
            length = ok && value.size() <= 18 ? value.toLongLong(&ok) : -1;
            if (length < 0) {
                refuse({ Outcome::RequestMalformed });
                return false;
            }
        }
        continueExpected = continueExpected || (name == "expect" && value.toLower() == "100-continue");
        if (name == "connection")
            m_closeRequested = value.toLower() != "keep-alive";
    }
    if (length > bodyLimit) {
        refuse({ Outcome::RequestTooLarge });
        return false;
    }
    if (continueExpected && length > 0)
        m_socket->write("HTTP/1.1 100 Continue\r\n\r\n");
    m_bodyLeft = length;
    return true;
}

void ConnectionGuard::refuse(const Outcome &outcome)
{
    m_refused = true;
    // The server must not see this request: its slots go, ours stays.
    disconnect(m_socket, &QTcpSocket::readyRead, nullptr, nullptr);
    connect(m_socket, &QTcpSocket::readyRead, this, &ConnectionGuard::onReadyRead);
    if (m_socket->isTransactionStarted())
        m_socket->commitTransaction();
    m_socket->skip(m_socket->bytesAvailable());
    m_socket->write(ApiStatus::closingAnswer(outcome));
    m_timer.start(lingerMs);
}

void ConnectionGuard::onWritten()
{
    // Half-close once the refusal is out: the client reads the answer, and
    // what it still sends is dropped until it closes or the linger ends.
    if (m_refused && m_socket->bytesToWrite() == 0)
        ::shutdown(int(m_socket->socketDescriptor()), SHUT_WR);
}

void ConnectionGuard::onTimeout()
{
    if (!m_refused && (!m_head.isEmpty() || m_bodyLeft > 0))
        return refuse({ Outcome::RequestTimeout });
    close();
}

void ConnectionGuard::close()
{
    if (m_socket->isTransactionStarted())
        m_socket->commitTransaction();
    m_socket->abort();
    // The server forgets a socket it has stopped listening to after a parse
    // error, so the guard sees to its end either way.
    m_socket->deleteLater();
}
