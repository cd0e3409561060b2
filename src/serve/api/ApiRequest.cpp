#include "serve/api/ApiRequest.h"
#include "serve/content/ContentOutcome.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

Outcome ApiRequest::json(QJsonValue &value) const
{
    value = QJsonValue(QJsonValue::Undefined);
    const QByteArray body = m_http.body();
    if (body.trimmed().isEmpty())
        return {};
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError)
        return { ContentOutcome::JsonMalformed,
                 QStringLiteral("%1 at byte %2").arg(error.errorString()).arg(error.offset) };
    value = document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
    return {};
}
