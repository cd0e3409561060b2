#include "serve/api/AccessController.h"

#include "serve/api/ApiServer.h"

#include <QJsonObject>

void AccessController::addRoutes(ApiServer &server)
{
    server.route(QHttpServerRequest::Method::Get, QStringLiteral("/api/whoami"), &AccessController::whoami);
}

ApiReply AccessController::whoami(const ApiRequest &request)
{
    return ApiReply::json(QJsonObject {
            { QStringLiteral("name"), request.caller().name },
            { QStringLiteral("role"), AccessTokens::roleName(request.caller().role) },
    });
}
