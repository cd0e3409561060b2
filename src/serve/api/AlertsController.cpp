#include "serve/api/AlertsController.h"

#include "engine/BoardEngine.h"
#include "serve/BoardControl.h"
#include "serve/api/ApiServer.h"
#include "serve/content/ContentJson.h"

#include <QJsonArray>

void AlertsController::addRoutes(ApiServer &server)
{
    using Method = QHttpServerRequest::Method;
    constexpr auto Operate = ApiServer::Role::Operate;
    const QString alerts = QStringLiteral("/api/boards/*/alerts");
    server.route(Method::Get, alerts, [this](const ApiRequest &r) { return list(r); });
    server.route(
            Method::Post, alerts, [this](const ApiRequest &r) { return raise(r); }, Operate);
    server.route(
            Method::Delete, alerts, [this](const ApiRequest &r) { return clear(r); }, Operate);
    server.route(
            Method::Delete, alerts + QStringLiteral("/*"), [this](const ApiRequest &r) { return remove(r); }, Operate);
}

ApiReply AlertsController::list(const ApiRequest &request) const
{
    const auto board = ContentJson::board(request.segment(0));
    if (!board.ok())
        return ApiReply::error(board.error);
    const QDateTime now = m_control.clock().now();
    QJsonArray alerts;
    for (const Alert &alert : m_control.engine().alerts(board.value.value()))
        alerts.append(ContentJson::toJson(alert, now));
    return ApiReply::json(QJsonObject { { QStringLiteral("alerts"), alerts } });
}

ApiReply AlertsController::raise(const ApiRequest &request)
{
    QJsonValue body;
    if (const Outcome read = request.json(body); !read.ok())
        return ApiReply::error(read);
    const auto board = ContentJson::board(request.segment(0));
    if (!board.ok())
        return ApiReply::error(board.error);
    const auto alert = ContentJson::alert(body, m_control.clock().now());
    if (!alert.ok())
        return ApiReply::error(alert.error);
    const auto raised = m_control.raiseAlert(board.value, alert.value);
    if (!raised.ok())
        return ApiReply::error(raised.error);
    ApiReply reply = ApiReply::json(ContentJson::toJson(raised.value, m_control.clock().now()), 201);
    reply.headers.append(
            { "Location",
              QStringLiteral("/api/boards/%1/alerts/%2").arg(board.value.value()).arg(raised.value.id).toLatin1() });
    return reply;
}

ApiReply AlertsController::remove(const ApiRequest &request)
{
    const auto board = ContentJson::board(request.segment(0));
    const auto id = ContentJson::alertId(request.segment(1));
    Outcome outcome = board.ok() ? id.error : board.error;
    if (outcome.ok())
        outcome = m_control.deleteAlert(board.value, id.value);
    return outcome.ok() ? ApiReply::noContent() : ApiReply::error(outcome);
}

ApiReply AlertsController::clear(const ApiRequest &request)
{
    const auto board = ContentJson::board(request.segment(0));
    const Outcome outcome = board.ok() ? m_control.clearAlerts(board.value).error : board.error;
    return outcome.ok() ? ApiReply::noContent() : ApiReply::error(outcome);
}
