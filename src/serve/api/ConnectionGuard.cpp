#include "serve/api/ConnectionGuard.h"

#include "serve/api/ApiStatus.h"

#include <QRegularExpression>
#include <QSslSocket>
#include <QTcpSocket>

#include <sys/socket.h>

namespace {

// A line break that is not CR LF, from index from of the head on: the server
// also ends lines at a bare LF, so such a head would be framed twice.
bool bareLineBreak(const QByteArray &head, qsizetype from, qsizetype to)
{
    for (qsizetype i = qMax<qsizetype>(from, 1); i < to; ++i) {
        if ((head.at(i) == '\n') != (head.at(i - 1) == '\r'))
            return true;
    }
    return false;
}

bool isToken(QByteArrayView name)
{
    static constexpr QByteArrayView others("!#$%&'*+-.^_`|~");
    for (const char c : name) {
        if (!QChar::isLetterOrNumber(uchar(c)) && !others.contains(c))
            return false;
    }
    return !name.isEmpty();
}

// Digits only: no sign, no space inside, nothing a parser could read two ways.
qint64 lengthOf(const QByteArray &value)
{
    bool ok = !value.isEmpty() && value.size() <= 18;
    for (const char c : value)
        ok = ok && c >= '0' && c <= '9';
    return ok ? value.toLongLong() : -1;
}

bool hasToken(const QByteArray &list, QByteArrayView token)
{
    for (const QByteArray &item : list.split(','))
        if (item.trimmed().compare(token, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

ConnectionGuard::ConnectionGuard(QTcpSocket *socket)
    : QObject(socket)
    , m_socket(socket)
{
    socket->setReadBufferSize(readLimit);
    connect(socket, &QTcpSocket::readyRead, this, &ConnectionGuard::onReadyRead);
    connect(socket, &QTcpSocket::bytesWritten, this, &ConnectionGuard::onWritten);
    // With TLS, bytesWritten counts what was encrypted: what the client took
    // is told apart.
    if (auto *secure = qobject_cast<QSslSocket *>(socket))
        connect(secure, &QSslSocket::encryptedBytesWritten, this, [this] { onWritten(0); });
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ConnectionGuard::onTimeout);
    m_timer.start(idleMs);
}

ConnectionGuard *ConnectionGuard::of(QTcpSocket *socket)
{
    return socket ? socket->findChild<ConnectionGuard *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void ConnectionGuard::onReadyRead()
{
    if (m_closing) {
        m_socket->skip(m_socket->bytesAvailable());
        return;
    }
    // What the server left after its last turn was seen before.
    const qsizetype available = m_socket->bytesAvailable();
    const qsizetype seen = qMin(m_seenLeft, available);
    m_seenLeft = available;
    if (available > seen && m_refusal.ok()) {
        // While answers wait, only their going out is progress.
        if (!m_paused && unsent() == 0)
            m_timer.start(idleMs);
        feed(m_socket->peek(available).mid(seen));
    }
    if (m_paused && !m_closing) {
        m_socket->skip(m_socket->bytesAvailable());
        m_seenLeft = 0;
    }
}

void ConnectionGuard::afterServer()
{
    m_seenLeft = m_socket->bytesAvailable();
}

void ConnectionGuard::feed(QByteArray bytes)
{
    while (!bytes.isEmpty() && !m_closing) {
        if (m_bodyLeft > 0) {
            const qint64 taken = qMin<qint64>(m_bodyLeft, bytes.size());
            m_bodyLeft -= taken;
            bytes.remove(0, taken);
            continue;
        }
        if (m_head.isEmpty()) { // line breaks between requests are allowed
            qsizetype start = 0;
            while (start < bytes.size() && (bytes.at(start) == '\r' || bytes.at(start) == '\n'))
                ++start;
            bytes.remove(0, start);
            m_blank += start;
            if (m_blank > headLimit)
                return refuse({ Outcome::RequestHeadTooLarge });
            if (bytes.isEmpty())
                break;
        }
        const qsizetype known = m_head.size();
        m_head += bytes;
        bytes.clear();
        const qsizetype end = m_head.indexOf("\r\n\r\n", qMax<qsizetype>(0, known - 3));
        const qsizetype headEnd = end < 0 ? m_head.size() : end + 4;
        if (bareLineBreak(m_head, known, headEnd))
            return refuse({ Outcome::RequestMalformed });
        if ((end < 0 ? m_head.size() : end) > headLimit)
            return refuse({ Outcome::RequestHeadTooLarge });
        if (end < 0)
            break;
        bytes = m_head.mid(headEnd);
        const QByteArray head = m_head.left(end);
        m_head.clear();
        m_blank = 0;
        if (!takeHead(head))
            return;
    }
}

// Reads what the framing needs from a request's head; false when refused.
bool ConnectionGuard::takeHead(const QByteArray &head)
{
    static const QRegularExpression requestLine(QStringLiteral("^[A-Z]+ [^ ]+ HTTP/1\\.([01])$"));
    QList<QByteArray> lines = head.split('\n');
    for (QByteArray &line : lines)
        line.chop(line.endsWith('\r') ? 1 : 0);
    const auto request = requestLine.match(QString::fromLatin1(lines.first()));
    Framing framing;
    framing.manner.close = request.captured(1) == u"0"; // HTTP/1.0 closes unless it asks otherwise
    Outcome::Kind refusal = !request.hasMatch() ? Outcome::RequestMalformed
            : lines.size() - 1 > fieldsLimit    ? Outcome::RequestFieldTooLarge
                                                : Outcome::Done;
    for (qsizetype i = 1; i < lines.size() && refusal == Outcome::Done; ++i)
        refusal = takeField(lines.at(i), framing);
    if (refusal == Outcome::Done)
        refusal = framing.refusal();
    if (refusal != Outcome::Done) {
        refuse({ refusal });
        return false;
    }
    if (framing.continueExpected && framing.length > 0)
        m_socket->write("HTTP/1.1 100 Continue\r\n\r\n");
    framing.manner.body = framing.length > 0;
    m_requests.append(framing.manner);
    m_bodyLeft = framing.length;
    fitReadBuffer();
    return true;
}

Outcome::Kind ConnectionGuard::takeField(const QByteArray &line, Framing &framing)
{
    const qsizetype colon = line.indexOf(':');
    // A folded line or a name the server's parser would not take makes it
    // drop every header, the length among them.
    if (colon <= 0 || !isToken(QByteArrayView(line).first(colon)))
        return Outcome::RequestMalformed;
    if (line.size() > fieldLimit)
        return Outcome::RequestFieldTooLarge;
    const QByteArray name = line.left(colon).toLower();
    const QByteArray value = line.mid(colon + 1).trimmed();
    if (name == "content-length" || name == "transfer-encoding") {
        ++framing.lengths;
        framing.coded = framing.coded || name == "transfer-encoding";
        if (name == "content-length")
            framing.length = lengthOf(value);
    }
    framing.continueExpected = framing.continueExpected || (name == "expect" && value.toLower() == "100-continue");
    if (name == "connection" && hasToken(value, "close")) {
        framing.manner.close = true;
        framing.manner.keepAliveSaid = false;
    } else if (name == "connection" && hasToken(value, "keep-alive") && framing.manner.close) {
        framing.manner.close = false;
        framing.manner.keepAliveSaid = true;
    }
    return Outcome::Done;
}

// A length given twice, or beside a transfer coding, could be read either way.
Outcome::Kind ConnectionGuard::Framing::refusal() const
{
    if (lengths > 1)
        return Outcome::RequestLengthAmbiguous;
    if (coded)
        return Outcome::LengthRequired;
    if (length < 0)
        return Outcome::RequestMalformed;
    return length > bodyLimit ? Outcome::RequestTooLarge : Outcome::Done;
}

ConnectionGuard::Manner ConnectionGuard::nextAnswer() const
{
    return m_requests.isEmpty() ? Manner {} : m_requests.first();
}

void ConnectionGuard::answered()
{
    const Manner manner = m_requests.isEmpty() ? Manner {} : m_requests.takeFirst();
    m_answerEnds.append(m_written + m_socket->bytesToWrite());
    if (!m_refusal.ok() && m_requests.isEmpty() && !manner.close)
        return refuse(std::exchange(m_refusal, {}));
    if (manner.body)
        fitReadBuffer();
    if (manner.close)
        finish();
    else if (m_answerEnds.size() >= answersLimit || unsent() >= answerBytesLimit)
        pause();
}

// Pipelined requests without a body are held a head's worth at a time; a
// body the server reads whole gets room until it is answered.
void ConnectionGuard::fitReadBuffer()
{
    const bool body = std::any_of(m_requests.cbegin(), m_requests.cend(), [](const Manner &m) { return m.body; });
    m_socket->setReadBufferSize(body ? bodyReadLimit : readLimit);
}

// Called right after an answer, when the server holds no request of its own
// in the socket's buffer: what waits there is read inside a transaction, so
// the server finds nothing until resume() rolls it back. The socket's read
// buffer is bounded, so the client is then held by TCP itself.
void ConnectionGuard::pause()
{
    if (m_paused || m_closing || m_socket->isTransactionStarted())
        return;
    m_paused = true;
    m_socket->startTransaction();
    m_socket->skip(m_socket->bytesAvailable());
    m_seenLeft = 0;
}

void ConnectionGuard::resume()
{
    m_paused = false;
    m_socket->rollbackTransaction();
    m_seenLeft = m_socket->bytesAvailable();
    if (m_seenLeft > 0)
        QMetaObject::invokeMethod(m_socket, &QAbstractSocket::readyRead, Qt::QueuedConnection);
}

// The requests framed before the refused one are answered first, in their
// order; the server reads no further than them.
void ConnectionGuard::refuse(const Outcome &outcome)
{
    const qsizetype whole = m_requests.size() - (m_bodyLeft > 0 ? 1 : 0);
    if (whole > 0) {
        m_refusal = outcome;
        m_timer.start(idleMs); // if they never get their answers, the connection is closed
        return;
    }
    m_socket->write(ApiStatus::closingAnswer(outcome));
    finish();
}

// No request after this one is read: the server's slots go, ours stays and
// drops what still arrives, and the connection closes once its answers are out.
void ConnectionGuard::finish()
{
    if (std::exchange(m_closing, true))
        return;
    disconnect(m_socket, &QTcpSocket::readyRead, nullptr, nullptr);
    connect(m_socket, &QTcpSocket::readyRead, this, &ConnectionGuard::onReadyRead);
    if (m_socket->isTransactionStarted())
        m_socket->commitTransaction();
    m_paused = false;
    m_socket->skip(m_socket->bytesAvailable());
    m_requests.clear();
    m_timer.start(idleMs);
    if (unsent() == 0)
        onWritten(0);
}

void ConnectionGuard::onWritten(qint64 bytes)
{
    m_written += bytes;
    while (!m_answerEnds.isEmpty() && m_answerEnds.first() <= m_written)
        m_answerEnds.removeFirst();
    m_timer.start(idleMs);
    if (m_closing) {
        // TLS says it wrote before it hands the encrypted bytes on: they are
        // counted once it is done.
        if (qobject_cast<QSslSocket *>(m_socket))
            QMetaObject::invokeMethod(this, &ConnectionGuard::halfClose, Qt::QueuedConnection);
        else
            halfClose();
        return;
    }
    if (m_paused && m_answerEnds.size() < answersLimit && unsent() < answerBytesLimit)
        resume();
}

// Once the answers are out: the client reads them, and what it still sends
// is dropped until it closes or the linger ends.
void ConnectionGuard::halfClose()
{
    if (unsent() == 0) {
        ::shutdown(int(m_socket->socketDescriptor()), SHUT_WR);
        m_timer.start(lingerMs);
    }
}

qint64 ConnectionGuard::unsent() const
{
    const auto *secure = qobject_cast<const QSslSocket *>(m_socket);
    return m_socket->bytesToWrite() + (secure ? secure->encryptedBytesToWrite() : 0);
}

void ConnectionGuard::upgraded()
{
    m_upgraded = true;
    m_timer.stop();
    disconnect(m_socket, nullptr, this, nullptr);
}

void ConnectionGuard::onTimeout()
{
    if (m_upgraded)
        return;
    const bool halfSent = !m_head.isEmpty() || m_bodyLeft > 0;
    if (!m_closing && m_refusal.ok() && halfSent && unsent() == 0)
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
