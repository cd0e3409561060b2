#include "serve/api/ApiServer.h"

#include "rules/MessageText.h"
#include "serve/AuditTrail.h"
#include "serve/ServiceOutcome.h"
#include "serve/api/ApiListener.h"
#include "serve/api/ConnectionGuard.h"
#include "serve/content/ContentJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebSocket>

namespace {

QString methodName(QHttpServerRequest::Method method)
{
    switch (method) {
    case QHttpServerRequest::Method::Get:
        return QStringLiteral("GET");
    case QHttpServerRequest::Method::Put:
        return QStringLiteral("PUT");
    case QHttpServerRequest::Method::Delete:
        return QStringLiteral("DELETE");
    case QHttpServerRequest::Method::Post:
        return QStringLiteral("POST");
    case QHttpServerRequest::Method::Head:
        return QStringLiteral("HEAD");
    case QHttpServerRequest::Method::Options:
        return QStringLiteral("OPTIONS");
    case QHttpServerRequest::Method::Patch:
        return QStringLiteral("PATCH");
    default:
        return QStringLiteral("this method");
    }
}

// The path's segments when it matches the pattern: the ones under *.
bool matches(const QStringList &pattern, const QStringList &path, QStringList &segments)
{
    if (pattern.size() != path.size())
        return false;
    segments.clear();
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern.at(i) == u"*" && !path.at(i).isEmpty())
            segments.append(path.at(i));
        else if (pattern.at(i) != path.at(i))
            return false;
    }
    return true;
}

} // namespace

ApiServer::ApiServer(AccessTokens tokens, QObject *parent)
    : QObject(parent)
    , m_tokens(std::move(tokens))
{
    // No route is given to the server's own router: every request reaches
    // this table, which knows 404 from 405.
    m_http.setMissingHandler([this](const QHttpServerRequest &request, QHttpServerResponder &&responder) {
        answer(request, std::move(responder));
    });
    addHeader("X-Content-Type-Options", "nosniff");
    addHeader("Cache-Control", "no-store");
}

ApiServer::~ApiServer() = default;

void ApiServer::route(QHttpServerRequest::Method method, const QString &pattern, Action action,
                      std::optional<Role> least)
{
    const Role role = least.value_or(method == QHttpServerRequest::Method::Get ? Role::Read : Role::Admin);
    m_routes.append({ method, pattern.split(u'/'), std::move(action), role });
}

QStringList ApiServer::routes() const
{
    QStringList names;
    for (const Route &route : m_routes)
        names.append(methodName(route.method) + u' ' + route.segments.join(u'/'));
    for (const QString &path : m_webSocketPaths)
        names.append(QStringLiteral("GET ") + path);
    return names;
}

void ApiServer::addHeader(const QByteArray &name, const QByteArray &value)
{
    m_headers.append({ name, value });
}

Outcome ApiServer::listen(const QHostAddress &address, quint16 port)
{
    auto *listener = new ApiListener;
    if (m_tls)
        listener->setTls(*m_tls);
    if (!listener->listen(address, port)) {
        const QString where = address.protocol() == QAbstractSocket::IPv6Protocol
                ? QStringLiteral("[%1]:%2").arg(address.toString()).arg(port)
                : QStringLiteral("%1:%2").arg(address.toString()).arg(port);
        Outcome failed { ServiceOutcome::ListenFailed, where, CommMode::None, 0, listener->errorString() };
        delete listener;
        return failed;
    }
    m_listener = listener;
    m_http.bind(listener);
    connect(listener, &QTcpServer::newConnection, listener, &ApiListener::hookAfterServer);
    return {};
}

quint16 ApiServer::port() const
{
    return m_listener ? m_listener->serverPort() : 0;
}

void ApiServer::close()
{
    if (m_listener)
        m_listener->close();
}

void ApiServer::acceptWebSockets(const QString &path, std::function<void(std::unique_ptr<QWebSocket>)> action)
{
    m_webSocketPaths.append(path);
    // The server hands an upgrade on only when a route of its own took the
    // request; any other request on that path is answered from the table.
    m_http.route(path, [this, path](const QHttpServerRequest &request, QHttpServerResponder &&responder) {
        const bool upgrade = request.value(QByteArrayLiteral("Upgrade")).compare("websocket", Qt::CaseInsensitive) == 0
                && request.value(QByteArrayLiteral("Connection")).toLower().contains("upgrade");
        if (!upgrade)
            return answer(request, std::move(responder));
        // The socket is the WebSocket's from now on: the guard stands down,
        // and the connection still counts until the socket goes.
        if (ConnectionGuard *guard = ConnectionGuard::of(responder.socket()))
            guard->upgraded();
        emit answered(QStringLiteral("GET"), path, 101);
    });
    connect(&m_http, &QHttpServer::newWebSocketConnection, this, [this, action = std::move(action)] {
        while (m_http.hasPendingWebSocketConnections())
            action(m_http.nextPendingWebSocketConnection());
    });
}

std::optional<AccessTokens::Caller> ApiServer::admits(const QByteArray &given, const QHostAddress &from,
                                                      Outcome &refusal)
{
    if (m_tokens.isEmpty())
        return AccessTokens::Caller { QStringLiteral("local"), Role::Admin, from };
    if (m_lockout.locked(from)) {
        refusal = { ServiceOutcome::AddressLocked, from.toString(), {}, 0, {}, 0, TokenLockout::windowMs / 1000 };
        return std::nullopt;
    }
    if (const AccessTokens::Caller *found = m_tokens.match(given)) {
        AccessTokens::Caller caller = *found;
        caller.address = from;
        return caller;
    }
    refusal = { ServiceOutcome::Unauthorized };
    if (!given.isEmpty() && m_lockout.failed(from))
        emit logLine(MessageText::of(
                { ServiceOutcome::AddressLocked, from.toString(), {}, 0, {}, 0, TokenLockout::windowMs / 1000 }));
    return std::nullopt;
}

std::optional<AccessTokens::Caller> ApiServer::caller(const QHttpServerRequest &request, Outcome &refusal)
{
    // The scheme's name is matched without regard to case; a request without
    // one is not counted as a wrong token.
    QByteArray given = request.value(QByteArrayLiteral("Authorization"));
    given = given.size() >= 7 && QByteArrayView(given).first(7).compare("Bearer ", Qt::CaseInsensitive) == 0
            ? given.mid(7).trimmed()
            : QByteArray();
    return admits(given, request.remoteAddress(), refusal);
}

ApiReply ApiServer::dispatch(const QHttpServerRequest &request, AccessTokens::Caller &caller)
{
    const QString path = request.url().path();
    // The metrics are the service's state as much as /api's answers are.
    const bool api = path == u"/api" || path.startsWith(u"/api/") || path == u"/metrics";
    // The page's files are for anyone who may reach the service.
    caller = { {}, Role::Read, request.remoteAddress() };
    if (api) {
        Outcome refusal;
        const std::optional<AccessTokens::Caller> admitted = this->caller(request, refusal);
        if (!admitted) {
            ApiReply reply = ApiReply::error(refusal);
            if (refusal.is(ServiceOutcome::AddressLocked))
                reply.headers.append({ QByteArrayLiteral("Retry-After"), QByteArray::number(refusal.limit) });
            else
                reply.headers.append({ QByteArrayLiteral("WWW-Authenticate"), QByteArrayLiteral("Bearer") });
            return reply;
        }
        caller = *admitted;
    }
    const QStringList parts = path.split(u'/');
    // HEAD is answered as GET is, without the body.
    const auto method
            = request.method() == QHttpServerRequest::Method::Head ? QHttpServerRequest::Method::Get : request.method();
    QStringList segments;
    QStringList allowed;
    for (const Route &route : std::as_const(m_routes)) {
        if (!matches(route.segments, parts, segments))
            continue;
        if (route.method != method) {
            allowed.append(methodName(route.method));
            continue;
        }
        if (api && caller.role < route.least)
            return ApiReply::error(
                    { ServiceOutcome::Forbidden, caller.name, {}, 0, AccessTokens::roleName(route.least) });
        return route.action(ApiRequest(request, segments, caller));
    }
    if (allowed.isEmpty())
        return ApiReply::error({ ServiceOutcome::PathUnknown, path });
    ApiReply reply = ApiReply::error(
            { ServiceOutcome::MethodNotAllowed, methodName(request.method()), {}, 0, allowed.join(u", ") });
    reply.headers.append({ "Allow", allowed.join(u", ").toLatin1() });
    return reply;
}

void ApiServer::record(const QHttpServerRequest &request, const AccessTokens::Caller &caller, const ApiReply &reply)
{
    const QString path = request.url().path();
    const bool change = request.method() != QHttpServerRequest::Method::Get
            && request.method() != QHttpServerRequest::Method::Head;
    const bool refused = reply.status == 401 || reply.status == 429;
    if (!m_audit || !path.startsWith(u"/api/") || !(change || (refused && !request.value("Authorization").isEmpty())))
        return;
    ServeStore::AuditEntry entry {
        {}, caller.name, request.remoteAddress().toString(), methodName(request.method()) + u' ' + path
    };
    const QJsonObject body = reply.status >= 200 ? QJsonDocument::fromJson(reply.body).object() : QJsonObject();
    const QStringList parts = path.split(u'/');
    if (parts.size() > 3 && parts.at(2) == u"boards" && ContentJson::board(parts.at(3)).ok())
        entry.boards.append(parts.at(3).toInt());
    for (const QJsonValue board : body.value(QStringLiteral("boards")).toArray())
        entry.boards.append(board.toInt());
    if (reply.status >= 400)
        entry.error = body.value(QStringLiteral("error")).toString();
    if (const Outcome recorded = m_audit->record(entry); !recorded.ok())
        emit logLine(MessageText::of(recorded));
}

void ApiServer::answer(const QHttpServerRequest &request, QHttpServerResponder &&responder)
{
    ConnectionGuard *guard = ConnectionGuard::of(responder.socket());
    const ConnectionGuard::Manner manner = guard ? guard->nextAnswer() : ConnectionGuard::Manner {};
    AccessTokens::Caller caller;
    const ApiReply reply = dispatch(request, caller);
    record(request, caller, reply);
    responder.writeStatusLine(QHttpServerResponder::StatusCode(reply.status));
    for (const auto &[name, value] : std::as_const(m_headers))
        responder.writeHeader(name, value);
    for (const auto &[name, value] : reply.headers)
        responder.writeHeader(name, value);
    if (!reply.body.isEmpty())
        responder.writeHeader("Content-Type", reply.contentType);
    if (manner.close)
        responder.writeHeader("Connection", "close");
    else if (manner.keepAliveSaid)
        responder.writeHeader("Connection", "keep-alive");
    responder.writeHeader("Content-Length", QByteArray::number(reply.body.size()));
    responder.writeBody(request.method() == QHttpServerRequest::Method::Head ? QByteArray() : reply.body);
    if (guard)
        guard->answered();
    emit answered(methodName(request.method()), request.url().path(), reply.status);
}
