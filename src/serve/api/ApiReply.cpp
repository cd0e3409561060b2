#include "serve/api/ApiReply.h"

#include "rules/MessageText.h"
#include "serve/api/ApiStatus.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

ApiReply ApiReply::json(const QJsonValue &value, int status)
{
    const QJsonDocument document = value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    return { status, document.toJson(QJsonDocument::Compact) + '\n', "application/json", {} };
}

ApiReply ApiReply::error(const Outcome &outcome)
{
    return json(QJsonObject { { QStringLiteral("error"), MessageText::of(outcome) } }, ApiStatus::of(outcome));
}
