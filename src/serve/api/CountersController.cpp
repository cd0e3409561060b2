#include "serve/api/CountersController.h"

#include "engine/BoardEngine.h"
#include "serve/BoardControl.h"
#include "serve/api/ApiServer.h"

#include <QJsonObject>

void CountersController::addRoutes(ApiServer &server)
{
    using Method = QHttpServerRequest::Method;
    server.route(Method::Get, QStringLiteral("/api/counters"), [this](const ApiRequest &) { return list(); });
    server.route(Method::Put, QStringLiteral("/api/counters/*"), [this](const ApiRequest &r) { return set(r); });
    server.route(Method::Post, QStringLiteral("/api/counters/*/add"), [this](const ApiRequest &r) { return add(r); });
}

Outcome CountersController::field(const ApiRequest &request, const QString &name, bool required, QJsonValue &value)
{
    QJsonValue body;
    if (const Outcome read = request.json(body); !read.ok())
        return read;
    value = QJsonValue(QJsonValue::Undefined);
    if (body.isUndefined())
        return required ? Outcome { Outcome::FieldMissing, name } : Outcome();
    if (!body.isObject())
        return { Outcome::NotAnObject, QStringLiteral("body") };
    const QJsonObject object = body.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key() != name)
            return { Outcome::FieldUnknown, it.key() };
    }
    value = object.value(name);
    if (required && value.isUndefined())
        return { Outcome::FieldMissing, name };
    return {};
}

ApiReply CountersController::counter(const QString &name, qint64 value) const
{
    return ApiReply::json(QJsonObject { { QStringLiteral("name"), name }, { QStringLiteral("value"), value } });
}

ApiReply CountersController::list() const
{
    QJsonObject counters;
    const QMap<QString, qint64> all = m_control.engine().counters();
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        counters.insert(it.key(), it.value());
    return ApiReply::json(QJsonObject { { QStringLiteral("counters"), counters } });
}

ApiReply CountersController::set(const ApiRequest &request)
{
    QJsonValue value;
    qint64 result = 0;
    Outcome outcome = field(request, QStringLiteral("value"), true, value);
    if (outcome.ok())
        outcome = m_control.setCounter(request.segment(0), value, result);
    return outcome.ok() ? counter(request.segment(0), result) : ApiReply::error(outcome);
}

ApiReply CountersController::add(const ApiRequest &request)
{
    QJsonValue by;
    qint64 result = 0;
    Outcome outcome = field(request, QStringLiteral("by"), false, by);
    if (outcome.ok())
        outcome = m_control.addCounter(request.segment(0), by, result);
    return outcome.ok() ? counter(request.segment(0), result) : ApiReply::error(outcome);
}
