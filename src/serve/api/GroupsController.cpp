#include "serve/api/GroupsController.h"

#include "engine/Clock.h"
#include "serve/BoardControl.h"
#include "serve/api/ApiServer.h"
#include "serve/content/ContentJson.h"

#include <QJsonArray>

namespace {

QJsonArray numbers(const QList<int> &boards)
{
    QJsonArray json;
    for (const int board : boards)
        json.append(board);
    return json;
}

ApiReply boards(const Result<QList<int>> &changed)
{
    if (!changed.ok())
        return ApiReply::error(changed.error);
    return ApiReply::json(QJsonObject { { QStringLiteral("boards"), numbers(changed.value) } });
}

} // namespace

void GroupsController::addRoutes(ApiServer &server)
{
    using Method = QHttpServerRequest::Method;
    constexpr auto Operate = ApiServer::Role::Operate;
    const QString group = QStringLiteral("/api/groups/*");
    server.route(Method::Get, QStringLiteral("/api/groups"), [this](const ApiRequest &) { return list(); });
    server.route(Method::Put, group + QStringLiteral("/playlist"),
                 [this](const ApiRequest &r) { return putPlaylist(r); });
    server.route(
            Method::Put, group + QStringLiteral("/message"), [this](const ApiRequest &r) { return putMessage(r); },
            Operate);
    server.route(
            Method::Post, group + QStringLiteral("/alerts"), [this](const ApiRequest &r) { return raise(r); }, Operate);
    server.route(
            Method::Delete, group + QStringLiteral("/alerts"), [this](const ApiRequest &r) { return end(r); }, Operate);
    server.route(
            Method::Delete, group + QStringLiteral("/alerts/*"), [this](const ApiRequest &r) { return end(r); },
            Operate);
}

ApiReply GroupsController::list() const
{
    QJsonObject groups;
    const QMap<QString, QList<int>> all = m_control.site().groups();
    for (auto it = all.cbegin(); it != all.cend(); ++it)
        groups.insert(it.key(), numbers(it.value()));
    return ApiReply::json(QJsonObject { { QStringLiteral("groups"), groups } });
}

ApiReply GroupsController::putPlaylist(const ApiRequest &request)
{
    QJsonValue body;
    if (const Outcome read = request.json(body); !read.ok())
        return ApiReply::error(read);
    const auto group = ContentJson::group(request.segment(0));
    if (!group.ok())
        return ApiReply::error(group.error);
    const auto items = ContentJson::playlist(body);
    return items.ok() ? boards(m_control.setGroupPlaylist(group.value, items.value)) : ApiReply::error(items.error);
}

ApiReply GroupsController::putMessage(const ApiRequest &request)
{
    QJsonValue body;
    if (const Outcome read = request.json(body); !read.ok())
        return ApiReply::error(read);
    const auto group = ContentJson::group(request.segment(0));
    if (!group.ok())
        return ApiReply::error(group.error);
    const auto message = ContentJson::message(body);
    return message.ok() ? boards(m_control.setGroupPlaylist(group.value, { message.value }))
                        : ApiReply::error(message.error);
}

ApiReply GroupsController::raise(const ApiRequest &request)
{
    QJsonValue body;
    if (const Outcome read = request.json(body); !read.ok())
        return ApiReply::error(read);
    const auto group = ContentJson::group(request.segment(0));
    if (!group.ok())
        return ApiReply::error(group.error);
    auto alert = ContentJson::alert(body, m_control.clock().now());
    if (!alert.ok())
        return ApiReply::error(alert.error);
    const auto raised = m_control.raiseGroupAlert(group.value, alert.value);
    if (!raised.ok())
        return ApiReply::error(raised.error);
    ApiReply reply = ApiReply::json(QJsonObject { { QStringLiteral("id"), alert.value.id },
                                                  { QStringLiteral("boards"), numbers(raised.value) } },
                                    201);
    reply.headers.append(
            { "Location", QStringLiteral("/api/groups/%1/alerts/%2").arg(group.value).arg(alert.value.id).toLatin1() });
    return reply;
}

// DELETE .../alerts ends every alert sent to the group, .../alerts/ID that one.
ApiReply GroupsController::end(const ApiRequest &request)
{
    const auto group = ContentJson::group(request.segment(0));
    if (!group.ok())
        return ApiReply::error(group.error);
    qint64 id = 0;
    if (!request.segment(1).isNull()) {
        const auto given = ContentJson::alertId(request.segment(1));
        if (!given.ok())
            return ApiReply::error(given.error);
        id = given.value;
    }
    const auto ended = m_control.endGroupAlerts(group.value, id);
    return ended.ok() ? ApiReply::noContent() : ApiReply::error(ended.error);
}
