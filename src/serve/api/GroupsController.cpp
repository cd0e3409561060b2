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

Result<QString> group(const QString &name)
{
    return ContentJson::group(name);
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
    return request.with(group, ContentJson::playlist, [this](const QString &name, const QList<PlaylistItem> &items) {
        return boards(m_control.setGroupPlaylist(name, items));
    });
}

ApiReply GroupsController::putMessage(const ApiRequest &request)
{
    return request.with(group, ContentJson::message, [this](const QString &name, const PlaylistItem &message) {
        return boards(m_control.setGroupPlaylist(name, { message }));
    });
}

ApiReply GroupsController::raise(const ApiRequest &request)
{
    const auto alert = [this](const QJsonValue &json) { return ContentJson::alert(json, m_control.clock().now()); };
    return request.with(group, alert, [this](const QString &name, Alert raised) { return answer(name, raised); });
}

// 201 with the one id the group's boards share, and where to end it.
ApiReply GroupsController::answer(const QString &group, Alert &alert)
{
    const auto raised = m_control.raiseGroupAlert(group, alert);
    if (!raised.ok())
        return ApiReply::error(raised.error);
    ApiReply reply = ApiReply::json(
            QJsonObject { { QStringLiteral("id"), alert.id }, { QStringLiteral("boards"), numbers(raised.value) } },
            201);
    reply.headers.append(
            { "Location", QStringLiteral("/api/groups/%1/alerts/%2").arg(group).arg(alert.id).toLatin1() });
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
