#include "serve/api/AlertsController.h"

#include "engine/BoardEngine.h"
#include "engine/ContentJson.h"
#include "serve/BoardControl.h"
#include "serve/api/ApiServer.h"

#include <QJsonArray>

void AlertsController::addRoutes(ApiServer &server)
{
    using Method = QHttpServerRequest::Method;
    const QString alerts = QStringLiteral("/api/boards/*/alerts");
    server.route(Method::Get, alerts, [this](const ApiRequest &r) { return list(r); });
    server.route(Method::Post, alerts, [this](const ApiRequest &r) { return raise(r); });
    server.route(Method::Delete, alerts, [this](const ApiRequest &r) { return clear(r); });
    server.route(Method::Delete, alerts + QStringLiteral("/*"), [this](const ApiRequest &r) { return remove(r); });
}

ApiReply AlertsController::list(const ApiRequest &request) const
{
    const auto board = ContentJson::board(request.segment(0));
    if (!board.ok())
        return ApiReply::error(board.error);
    const QDateTime now = m_control.clock().now();
    QJsonArray alerts;
    for (const Alert &alert : m_control.engine().alerts(board.value))
        alerts.append(ContentJson::toJson(alert, now));
    return ApiReply::json(QJsonObject { { QStringLiteral("alerts"), alerts } });
}

ApiReply AlertsController::raise(const ApiRequest &request)
{
    QJsonValue body;
    qint64 id = 0;
    Outcome outcome = request.json(body);
    if (outcome.ok())
        outcome = m_control.raiseAlert(request.segment(0), body, id);
    if (!outcome.ok())
        return ApiReply::error(outcome);
    const int board = ContentJson::board(request.segment(0)).value;
    QJsonObject json { { QStringLiteral("id"), id } };
    for (const Alert &alert : m_control.engine().alerts(board)) {
        if (alert.id == id)
            json = ContentJson::toJson(alert, m_control.clock().now());
    }
    ApiReply reply = ApiReply::json(json, 201);
    reply.headers.append({ "Location", QStringLiteral("/api/boards/%1/alerts/%2").arg(board).arg(id).toLatin1() });
    return reply;
}

ApiReply AlertsController::remove(const ApiRequest &request)
{
    const Outcome outcome = m_control.deleteAlert(request.segment(0), request.segment(1));
    return outcome.ok() ? ApiReply::noContent() : ApiReply::error(outcome);
}

ApiReply AlertsController::clear(const ApiRequest &request)
{
    const Outcome outcome = m_control.clearAlerts(request.segment(0));
    return outcome.ok() ? ApiReply::noContent() : ApiReply::error(outcome);
}
