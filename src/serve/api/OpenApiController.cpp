#include "serve/api/OpenApiController.h"

#include "serve/api/ApiServer.h"

#include <QFile>

void OpenApiController::addRoutes(ApiServer &server)
{
    QFile file(QStringLiteral(":/api/openapi.json"));
    const QByteArray document = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    Q_ASSERT(!document.isEmpty());
    server.route(QHttpServerRequest::Method::Get, QStringLiteral("/api/openapi.json"), [document](const ApiRequest &) {
        return ApiReply { 200, document, "application/json", {} };
    });
}
