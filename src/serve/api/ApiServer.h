#ifndef APISERVER_H
#define APISERVER_H

#include "common/Outcome.h"
#include "serve/api/ApiReply.h"
#include "serve/api/ApiRequest.h"

#include <QHostAddress>
#include <QHttpServer>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class ApiListener;
class QWebSocket;

// VaroServe's HTTP server. Actions are routed from one table, so that a
// known path with another method gets 405 and its Allow list, and every
// error, whatever its status, is JSON worded by MessageText. With a token,
// every /api request must carry it as "Authorization: Bearer TOKEN".
class ApiServer : public QObject
{
    Q_OBJECT

public:
    using Action = std::function<ApiReply(const ApiRequest &)>;

    explicit ApiServer(QByteArray token = {}, QObject *parent = nullptr);
    ~ApiServer() override;

    // pattern: "/api/boards/*/alerts/*", each * one path segment.
    void route(QHttpServerRequest::Method method, const QString &pattern, Action action);
    // Every route as "GET /api/boards/*", in the order they were given, and
    // the WebSocket paths as GET.
    QStringList routes() const;
    // The WebSocket upgrades asked for on path (the others get the table's
    // answer) go to action once their handshake is done. A browser cannot
    // set Authorization on a WebSocket: its first message carries the token
    // for tokenMatches() instead.
    void acceptWebSockets(const QString &path, std::function<void(std::unique_ptr<QWebSocket>)> action);
    bool tokenMatches(const QByteArray &given) const; // true when no token is needed
    // A header every answer carries (the page's Content-Security-Policy).
    void addHeader(const QByteArray &name, const QByteArray &value);

    Outcome listen(const QHostAddress &address, quint16 port); // ListenFailed
    quint16 port() const;
    void close(); // no new connections

signals:
    void answered(const QString &method, const QString &path, int status);

private:
    struct Route
    {
        QHttpServerRequest::Method method;
        QStringList segments;
        Action action;
    };

    void answer(const QHttpServerRequest &request, QHttpServerResponder &&responder);
    ApiReply dispatch(const QHttpServerRequest &request);
    bool authorized(const QHttpServerRequest &request) const;

    QHttpServer m_http;
    QPointer<ApiListener> m_listener;
    QByteArray m_token;
    QList<Route> m_routes;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    QStringList m_webSocketPaths;
};

#endif
