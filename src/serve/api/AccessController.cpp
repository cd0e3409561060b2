#include "serve/api/AccessController.h"

#include "serve/AuditTrail.h"
#include "serve/api/ApiServer.h"
#include "serve/api/JournalController.h"

#include <QJsonArray>

#include <QJsonObject>

void AccessController::addRoutes(ApiServer &server)
{
    server.route(QHttpServerRequest::Method::Get, QStringLiteral("/api/whoami"), &AccessController::whoami);
    server.route(
            QHttpServerRequest::Method::Get, QStringLiteral("/api/audit"),
            [this](const ApiRequest &r) { return audit(r); }, ApiServer::Role::Admin);
}

ApiReply AccessController::audit(const ApiRequest &request) const
{
    ServeStore::JournalPage wanted;
    if (const Outcome read = JournalController::page(request.query(), wanted); !read.ok())
        return ApiReply::error(read);
    const QList<ServeStore::AuditEntry> found = m_audit.entries(wanted);
    QJsonArray entries;
    for (const ServeStore::AuditEntry &one : found) {
        QJsonArray boards;
        for (const int board : one.boards)
            boards.append(board);
        entries.append(QJsonObject {
                { QStringLiteral("id"), one.id },
                { QStringLiteral("time"), one.time.toUTC().toString(Qt::ISODateWithMs) },
                { QStringLiteral("who"), one.who.isEmpty() ? QJsonValue() : QJsonValue(one.who) },
                { QStringLiteral("from"), one.origin },
                { QStringLiteral("what"), one.what },
                { QStringLiteral("boards"), boards },
                { QStringLiteral("applied"), one.error.isEmpty() },
                { QStringLiteral("error"), one.error.isEmpty() ? QJsonValue() : QJsonValue(one.error) },
        });
    }
    const QJsonValue next = found.size() == wanted.limit ? QJsonValue(found.last().id) : QJsonValue();
    return ApiReply::json(QJsonObject { { QStringLiteral("audit"), entries }, { QStringLiteral("next"), next } });
}

ApiReply AccessController::whoami(const ApiRequest &request)
{
    return ApiReply::json(QJsonObject {
            { QStringLiteral("name"), request.caller().name },
            { QStringLiteral("role"), AccessTokens::roleName(request.caller().role) },
    });
}
