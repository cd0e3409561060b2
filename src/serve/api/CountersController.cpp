#include "serve/api/CountersController.h"

#include "engine/BoardEngine.h"
#include "serve/BoardControl.h"
#include "serve/api/ApiServer.h"
#include "serve/content/ContentJson.h"
#include "serve/content/ContentOutcome.h"

#include <QJsonObject>

void CountersController::addRoutes(ApiServer &server)
{
    using Method = QHttpServerRequest::Method;
    constexpr auto Operate = ApiServer::Role::Operate;
    server.route(Method::Get, QStringLiteral("/api/counters"), [this](const ApiRequest &) { return list(); });
    server.route(
            Method::Put, QStringLiteral("/api/counters/*"), [this](const ApiRequest &r) { return set(r); }, Operate);
    server.route(
            Method::Post, QStringLiteral("/api/counters/*/add"), [this](const ApiRequest &r) { return add(r); },
            Operate);
}

Outcome CountersController::field(const ApiRequest &request, const QString &name, bool required, QJsonValue &value)
{
    QJsonValue body;
    if (const Outcome read = request.json(body); !read.ok())
        return read;
    value = QJsonValue(QJsonValue::Undefined);
    if (body.isUndefined())
        return required ? Outcome { ContentOutcome::FieldMissing, name } : Outcome();
    if (!body.isObject())
        return { ContentOutcome::NotAnObject, QStringLiteral("body") };
    const QJsonObject object = body.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key() != name)
            return { ContentOutcome::FieldUnknown, it.key() };
    }
    value = object.value(name);
    if (required && value.isUndefined())
        return { ContentOutcome::FieldMissing, name };
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
    if (const Outcome read = field(request, QStringLiteral("value"), true, value); !read.ok())
        return ApiReply::error(read);
    const auto name = ContentJson::counterName(request.segment(0));
    if (!name.ok())
        return ApiReply::error(name.error);
    const auto number = ContentJson::counterValue(value, QStringLiteral("value"));
    const auto stored = number.ok() ? m_control.setCounter(name.value, number.value) : number;
    return stored.ok() ? counter(name.value.text(), stored.value) : ApiReply::error(stored.error);
}

ApiReply CountersController::add(const ApiRequest &request)
{
    QJsonValue by;
    if (const Outcome read = field(request, QStringLiteral("by"), false, by); !read.ok())
        return ApiReply::error(read);
    const auto name = ContentJson::counterName(request.segment(0));
    if (!name.ok())
        return ApiReply::error(name.error);
    const auto step = by.isUndefined() ? Result<qint64> { 1, {} } : ContentJson::counterValue(by, QStringLiteral("by"));
    const auto sum = step.ok() ? m_control.addCounter(name.value, step.value) : step;
    return sum.ok() ? counter(name.value.text(), sum.value) : ApiReply::error(sum.error);
}
