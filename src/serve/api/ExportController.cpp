#include "serve/api/ExportController.h"

#include "engine/Clock.h"
#include "serve/BoardControl.h"
#include "serve/api/ApiServer.h"
#include "serve/content/ContentJson.h"

void ExportController::addRoutes(ApiServer &server)
{
    using Method = QHttpServerRequest::Method;
    // The whole content: for admin alone, as a change of all of it is.
    server.route(
            Method::Get, QStringLiteral("/api/export"), [this](const ApiRequest &) { return exported(); },
            ApiServer::Role::Admin);
    server.route(Method::Put, QStringLiteral("/api/import"), [this](const ApiRequest &r) { return import(r); });
}

ApiReply ExportController::exported() const
{
    return ApiReply::json(ContentJson::toJson(m_control.exportContent(), m_control.clock().now()));
}

ApiReply ExportController::import(const ApiRequest &request)
{
    QJsonValue body;
    if (const Outcome read = request.json(body); !read.ok())
        return ApiReply::error(read);
    const auto archive = ContentJson::archive(body);
    const Outcome imported = archive.ok() ? m_control.importContent(archive.value) : archive.error;
    return imported.ok() ? exported() : ApiReply::error(imported);
}
