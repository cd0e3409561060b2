#include "serve/api/PushChannel.h"

#include "engine/BoardEngine.h"
#include "serve/BoardControl.h"
#include "serve/api/ApiServer.h"
#include "serve/api/BoardsController.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QWebSocket>

#include <tuple>

PushChannel::PushChannel(const BoardControl &control, const BoardsController &boards)
    : m_control(control)
    , m_boards(boards)
{
    const BoardEngine *engine = &control.engine();
    connect(engine, &BoardEngine::showingChanged, this, &PushChannel::changed);
    connect(engine, &BoardEngine::contentChanged, this, &PushChannel::changed);
    connect(engine, &BoardEngine::frameSent, this, [this](int board) { changed(board); });
    connect(&control, &BoardControl::declarationChanged, this, &PushChannel::changed);
    m_timer.setInterval(flushMs);
    connect(&m_timer, &QTimer::timeout, this, &PushChannel::flush);
}

PushChannel::~PushChannel()
{
    // A socket says it closed as it goes: not to a channel that is going too.
    for (const auto &client : m_clients)
        client->socket->disconnect(this);
}

void PushChannel::addRoutes(ApiServer &server)
{
    m_server = &server;
    server.acceptWebSockets(QStringLiteral("/api/push"),
                            [this](std::unique_ptr<QWebSocket> socket) { accept(std::move(socket)); });
}

void PushChannel::accept(std::unique_ptr<QWebSocket> socket)
{
    QWebSocket *raw = socket.get();
    raw->setMaxAllowedIncomingFrameSize(messageLimit);
    raw->setMaxAllowedIncomingMessageSize(messageLimit);
    connect(raw, &QWebSocket::disconnected, this, [this, raw] { drop(raw); });
    connect(raw, &QWebSocket::textMessageReceived, this, [this, raw](const QString &text) { received(raw, text); });
    connect(raw, &QWebSocket::binaryMessageReceived, raw,
            [raw] { raw->close(QWebSocketProtocol::CloseCode(refusedCode)); });
    // A page's own origin is the host it asked; a page of another site
    // might otherwise read a service that has no token.
    const QUrl origin(raw->origin());
    const bool sameOrigin = raw->origin().isEmpty() || origin.authority() == raw->requestUrl().authority();
    m_clients.push_back(std::make_unique<Client>(Client { std::move(socket) }));
    if (!sameOrigin)
        return raw->close(QWebSocketProtocol::CloseCode(refusedCode));
    QTimer::singleShot(tokenMs, raw, [this, raw] {
        if (Client *client = find(raw); client && !client->admitted)
            raw->close(QWebSocketProtocol::CloseCode(refusedCode));
    });
}

void PushChannel::received(QWebSocket *socket, const QString &message)
{
    Client *client = find(socket);
    if (!client || client->admitted)
        return;
    Outcome refusal;
    if (!m_server || !m_server->admits(message.toUtf8(), socket->peerAddress(), refusal))
        return socket->close(QWebSocketProtocol::CloseCode(refusedCode));
    client->admitted = true;
    const QList<int> boards = known();
    client->boards = QSet<int>(boards.cbegin(), boards.cend());
    m_counters = m_control.engine().counters();
    if (!m_timer.isActive())
        m_timer.start();
    QTimer::singleShot(0, this, &PushChannel::flush);
}

void PushChannel::drop(QWebSocket *socket)
{
    for (auto it = m_clients.begin(); it != m_clients.end(); ++it) {
        if ((*it)->socket.get() == socket) {
            // Deleted later: this runs inside one of the socket's signals.
            (*it)->socket.release()->deleteLater();
            m_clients.erase(it);
            break;
        }
    }
    if (m_clients.empty())
        m_timer.stop();
}

PushChannel::Client *PushChannel::find(QWebSocket *socket)
{
    for (const auto &client : m_clients) {
        if (client->socket.get() == socket)
            return client.get();
    }
    return nullptr;
}

void PushChannel::changed(int board)
{
    for (const auto &client : m_clients)
        client->boards.insert(board);
}

// The boards GET /api/boards lists: declared or with content.
QList<int> PushChannel::known() const
{
    return m_control.site().members(Site::all, m_control.engine().boards());
}

QJsonObject PushChannel::record(int board) const
{
    QJsonObject json = m_boards.summary(board, true);
    QJsonObject showing = json.value(QStringLiteral("showing")).toObject();
    showing.remove(QStringLiteral("secondsLeft")); // the page counts down to "ends" itself
    showing.remove(QStringLiteral("since"));
    QJsonObject sent = json.value(QStringLiteral("sent")).toObject();
    sent.remove(QStringLiteral("hex"));
    // A whole length is given only where it is not the length of what came.
    if (showing.value(QStringLiteral("textLength")).toInteger()
        == showing.value(QStringLiteral("text")).toString().size())
        showing.remove(QStringLiteral("textLength"));
    if (sent.value(QStringLiteral("byteLength")).toInteger() == sent.value(QStringLiteral("bytes")).toString().size())
        sent.remove(QStringLiteral("byteLength"));
    json.insert(QStringLiteral("showing"), showing);
    json.insert(QStringLiteral("sent"), sent);
    return json;
}

QString PushChannel::message(const QList<int> &numbers, bool all, const QMap<QString, qint64> *counters,
                             const QList<int> &known, QHash<int, QJsonObject> &records) const
{
    QJsonObject message { { QStringLiteral("now"), m_control.clock().now().toUTC().toString(Qt::ISODateWithMs) } };
    QJsonArray boards, gone;
    for (const int board : numbers) {
        if (!known.contains(board)) {
            gone.append(board);
            continue;
        }
        auto found = records.find(board);
        if (found == records.end())
            found = records.insert(board, record(board));
        boards.append(*found);
    }
    if (all)
        message.insert(QStringLiteral("all"), true);
    message.insert(QStringLiteral("boards"), boards);
    if (!gone.isEmpty())
        message.insert(QStringLiteral("gone"), gone);
    if (counters) {
        QJsonObject values;
        for (auto it = counters->cbegin(); it != counters->cend(); ++it)
            values.insert(it.key(), it.value());
        message.insert(QStringLiteral("counters"), values);
    }
    return QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact));
}

void PushChannel::flush()
{
    const BoardEngine &engine = m_control.engine();
    const QMap<QString, qint64> counters = engine.counters();
    const bool countersChanged = counters != m_counters;
    m_counters = counters;
    const QList<int> listed = known();
    QHash<int, QJsonObject> records; // each made once for every client
    // Clients with the same changes, as most are, get the same message.
    std::tuple<QList<int>, bool, bool> made { {}, false, false };
    QString text;
    for (const auto &client : m_clients) {
        client->counters = client->counters || countersChanged;
        if (!client->admitted || (client->boards.isEmpty() && !client->counters && !client->all))
            continue;
        if (client->socket->bytesToWrite() > backlogLimit) {
            if (!client->behind.isValid())
                client->behind.start();
            else if (client->behind.elapsed() > stuckMs) // later: its going takes it off the list
                QMetaObject::invokeMethod(client->socket.get(), &QWebSocket::abort, Qt::QueuedConnection);
            continue;
        }
        client->behind.invalidate();
        QList<int> numbers = client->boards.values();
        std::sort(numbers.begin(), numbers.end());
        client->boards.clear();
        const std::tuple<QList<int>, bool, bool> changes { numbers, std::exchange(client->all, false),
                                                           std::exchange(client->counters, false) };
        if (text.isEmpty() || changes != made) {
            made = changes;
            text = message(numbers, std::get<1>(changes), std::get<2>(changes) ? &counters : nullptr, listed, records);
        }
        client->socket->sendTextMessage(text);
    }
}
