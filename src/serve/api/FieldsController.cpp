#include "serve/api/FieldsController.h"

#include "engine/LiveText.h"
#include "serve/api/ApiServer.h"

#include <QJsonArray>
#include <QJsonObject>

void FieldsController::addRoutes(ApiServer &server)
{
    server.route(QHttpServerRequest::Method::Get, QStringLiteral("/api/fields"),
                 [](const ApiRequest &) { return list(); });
}

ApiReply FieldsController::list()
{
    QJsonArray fields;
    for (const LiveText::Field &field : LiveText::fields()) {
        fields.append(QJsonObject {
                { QStringLiteral("name"), field.name },
                { QStringLiteral("argument"), field.argument.isEmpty() ? QJsonValue() : QJsonValue(field.argument) },
                { QStringLiteral("widest"), field.widest },
                { QStringLiteral("expands"), field.expands },
                { QStringLiteral("source"), LiveText::sourceName(field.source) },
        });
    }
    return ApiReply::json(QJsonObject { { QStringLiteral("fields"), fields } });
}
