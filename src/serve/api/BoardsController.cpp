#include "serve/api/BoardsController.h"

#include "common/Windows1252.h"
#include "engine/BoardEngine.h"
#include "serve/BoardControl.h"
#include "serve/api/ApiServer.h"
#include "serve/content/ContentJson.h"

#include <QJsonArray>

namespace {

QJsonValue timeJson(const QDateTime &time)
{
    return time.isValid() ? QJsonValue(time.toUTC().toString(Qt::ISODateWithMs)) : QJsonValue();
}

} // namespace

void BoardsController::addRoutes(ApiServer &server)
{
    using Method = QHttpServerRequest::Method;
    server.route(Method::Get, QStringLiteral("/api/boards"), [this](const ApiRequest &) { return list(); });
    server.route(Method::Get, QStringLiteral("/api/boards/*"), [this](const ApiRequest &r) { return board(r); });
    server.route(Method::Put, QStringLiteral("/api/boards/*"), [this](const ApiRequest &r) { return declare(r); });
    server.route(Method::Delete, QStringLiteral("/api/boards/*"), [this](const ApiRequest &r) { return forget(r); });
    server.route(Method::Put, QStringLiteral("/api/boards/*/playlist"),
                 [this](const ApiRequest &r) { return putPlaylist(r); });
    server.route(Method::Delete, QStringLiteral("/api/boards/*/playlist"),
                 [this](const ApiRequest &r) { return deletePlaylist(r); });
    server.route(
            Method::Put, QStringLiteral("/api/boards/*/message"), [this](const ApiRequest &r) { return putMessage(r); },
            ApiServer::Role::Operate);
}

QJsonObject BoardsController::showing(int board, bool cut) const
{
    Showing now = m_control.engine().showing(board);
    const qsizetype length = now.text.size();
    if (cut)
        now.text.truncate(listHead);
    QJsonObject json = ContentJson::toJson(now);
    if (cut)
        json.insert(QStringLiteral("textLength"), length);
    if (now.ends.isValid()) {
        const qint64 left = m_control.clock().now().msecsTo(now.ends);
        json.insert(QStringLiteral("secondsLeft"), left > 0 ? (left + 999) / 1000 : 0);
    }
    return json;
}

QJsonObject BoardsController::summary(int board, bool cut) const
{
    const BoardEngine::Sent sent = m_control.engine().lastSent(board);
    const QByteArray bytes = cut ? sent.bytes.left(listHead) : sent.bytes;
    QJsonObject frame { { QStringLiteral("time"), timeJson(sent.time) },
                        { QStringLiteral("bytes"), Windows1252::toUnicode(bytes) },
                        { QStringLiteral("hex"), QString::fromLatin1(bytes.toHex(' ')) } };
    if (cut)
        frame.insert(QStringLiteral("byteLength"), sent.bytes.size());
    QJsonObject json = ContentJson::toJson(m_control.site().declaration(board));
    json.insert(QStringLiteral("board"), board);
    json.insert(QStringLiteral("showing"), showing(board, cut));
    json.insert(QStringLiteral("alertCount"), int(m_control.engine().alerts(board).size()));
    json.insert(QStringLiteral("sent"), frame);
    return json;
}

ApiReply BoardsController::list() const
{
    QJsonArray boards;
    for (const int board : m_control.site().members(Site::all, m_control.engine().boards()))
        boards.append(summary(board, true));
    return ApiReply::json(QJsonObject { { QStringLiteral("boards"), boards } });
}

ApiReply BoardsController::board(const ApiRequest &request) const
{
    const auto number = ContentJson::board(request.segment(0));
    return number.ok() ? board(number.value) : ApiReply::error(number.error);
}

ApiReply BoardsController::board(BoardNumber board) const
{
    const QDateTime now = m_control.clock().now();
    QJsonArray alerts;
    for (const Alert &alert : m_control.engine().alerts(board.value()))
        alerts.append(ContentJson::toJson(alert, now));
    QJsonObject json = summary(board.value());
    json.insert(QStringLiteral("playlist"), ContentJson::toJson(m_control.engine().playlist(board.value())));
    json.insert(QStringLiteral("alerts"), alerts);
    return ApiReply::json(json);
}

ApiReply BoardsController::putPlaylist(const ApiRequest &request)
{
    return request.with(ContentJson::board, ContentJson::playlist,
                        [this](BoardNumber number, const QList<PlaylistItem> &items) {
                            const auto stored = m_control.setPlaylist(number, items);
                            return stored.ok() ? board(number) : ApiReply::error(stored.error);
                        });
}

ApiReply BoardsController::putMessage(const ApiRequest &request)
{
    return request.with(ContentJson::board, ContentJson::message,
                        [this](BoardNumber number, const PlaylistItem &message) {
                            const auto stored = m_control.setMessage(number, message);
                            if (!stored.ok())
                                return ApiReply::error(stored.error);
                            return ApiReply::json(
                                    QJsonObject { { QStringLiteral("board"), number.value() },
                                                  { QStringLiteral("playlist"), ContentJson::toJson(stored.value) } });
                        });
}

ApiReply BoardsController::deletePlaylist(const ApiRequest &request)
{
    const auto number = ContentJson::board(request.segment(0));
    const Outcome outcome = number.ok() ? m_control.clearPlaylist(number.value) : number.error;
    return outcome.ok() ? ApiReply::noContent() : ApiReply::error(outcome);
}

ApiReply BoardsController::declare(const ApiRequest &request)
{
    return request.with(ContentJson::board, ContentJson::declaration,
                        [this](BoardNumber number, const ServeStore::Declaration &declaration) {
                            const auto declared = m_control.declare(number, declaration);
                            return declared.ok() ? board(number) : ApiReply::error(declared.error);
                        });
}

ApiReply BoardsController::forget(const ApiRequest &request)
{
    const auto number = ContentJson::board(request.segment(0));
    const Outcome outcome = number.ok() ? m_control.forget(number.value) : number.error;
    return outcome.ok() ? ApiReply::noContent() : ApiReply::error(outcome);
}
