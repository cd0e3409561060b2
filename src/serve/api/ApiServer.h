#ifndef APISERVER_H
#define APISERVER_H

#include "common/Outcome.h"
#include "serve/api/AccessTokens.h"
#include "serve/api/ApiReply.h"
#include "serve/api/ApiRequest.h"
#include "serve/api/TokenLockout.h"

#include <QHostAddress>
#include <QHttpServer>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>

#include <functional>
#include <memory>
#include <optional>

class ApiListener;
class AuditTrail;
class QWebSocket;

// VaroServe's HTTP server. Actions are routed from one table, so that a
// known path with another method gets 405 and its Allow list, and every
// error, whatever its status, is JSON worded by MessageText. With tokens,
// every /api request must carry one as "Authorization: Bearer TOKEN", and
// each route says the least role that may use it.
class ApiServer : public QObject
{
    Q_OBJECT

public:
    using Action = std::function<ApiReply(const ApiRequest &)>;
    using Role = AccessTokens::Role;

    explicit ApiServer(AccessTokens tokens = {}, QObject *parent = nullptr);
    ~ApiServer() override;

    // pattern: "/api/boards/*/alerts/*", each * one path segment. Unless
    // told, a GET is for every role and any other method for admin alone.
    void route(QHttpServerRequest::Method method, const QString &pattern, Action action,
               std::optional<Role> least = std::nullopt);
    // Every route as "GET /api/boards/*", in the order they were given, and
    // the WebSocket paths as GET.
    QStringList routes() const;
    // The WebSocket upgrades asked for on path (the others get the table's
    // answer) go to action once their handshake is done. A browser cannot
    // set Authorization on a WebSocket: its first message carries the token
    // for admits() instead.
    void acceptWebSockets(const QString &path, std::function<void(std::unique_ptr<QWebSocket>)> action);
    // The caller the token names (every role may listen), or none: then
    // refusal says why, a wrong token counted against its address.
    std::optional<AccessTokens::Caller> admits(const QByteArray &given, const QHostAddress &from, Outcome &refusal);
    // A header every answer carries (the page's Content-Security-Policy).
    void addHeader(const QByteArray &name, const QByteArray &value);
    // Every request under /api that is not a GET, and every refused token,
    // recorded before it is answered.
    void setAudit(AuditTrail *trail) { m_audit = trail; }

    // Before listen(): the address then speaks only TLS.
    void setTls(const QSslConfiguration &configuration) { m_tls = configuration; }
    Outcome listen(const QHostAddress &address, quint16 port); // ListenFailed
    quint16 port() const;
    void close(); // no new connections

signals:
    void answered(const QString &method, const QString &path, int status);
    void logLine(const QString &line);

private:
    struct Route
    {
        QHttpServerRequest::Method method;
        QStringList segments;
        Action action;
        Role least;
    };

    void answer(const QHttpServerRequest &request, QHttpServerResponder &&responder);
    ApiReply dispatch(const QHttpServerRequest &request, AccessTokens::Caller &caller);
    void record(const QHttpServerRequest &request, const AccessTokens::Caller &caller, const ApiReply &reply);
    std::optional<AccessTokens::Caller> caller(const QHttpServerRequest &request, Outcome &refusal);

    QHttpServer m_http;
    QPointer<ApiListener> m_listener;
    AccessTokens m_tokens;
    std::optional<QSslConfiguration> m_tls;
    AuditTrail *m_audit = nullptr;
    TokenLockout m_lockout;
    QList<Route> m_routes;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    QStringList m_webSocketPaths;
};

#endif
