#include "serve/api/BoardsController.h"

#include "common/Windows1252.h"
#include "engine/BoardEngine.h"
#include "engine/ContentJson.h"
#include "serve/BoardControl.h"
#include "serve/api/ApiServer.h"

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
    server.route(Method::Put, QStringLiteral("/api/boards/*/playlist"),
                 [this](const ApiRequest &r) { return putPlaylist(r); });
    server.route(Method::Delete, QStringLiteral("/api/boards/*/playlist"),
                 [this](const ApiRequest &r) { return deletePlaylist(r); });
    server.route(Method::Put, QStringLiteral("/api/boards/*/message"),
                 [this](const ApiRequest &r) { return putMessage(r); });
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
    return { { QStringLiteral("board"), board },
             { QStringLiteral("showing"), showing(board, cut) },
             { QStringLiteral("alertCount"), int(m_control.engine().alerts(board).size()) },
             { QStringLiteral("sent"), frame } };
}

ApiReply BoardsController::list() const
{
    QJsonArray boards;
    for (const int board : m_control.engine().boards())
        boards.append(summary(board, true));
    return ApiReply::json(QJsonObject { { QStringLiteral("boards"), boards } });
}

ApiReply BoardsController::board(const ApiRequest &request) const
{
    const auto number = ContentJson::board(request.segment(0));
    if (!number.ok())
        return ApiReply::error(number.error);
    const QDateTime now = m_control.clock().now();
    QJsonArray alerts;
    for (const Alert &alert : m_control.engine().alerts(number.value))
        alerts.append(ContentJson::toJson(alert, now));
    QJsonObject json = summary(number.value);
    json.insert(QStringLiteral("playlist"), ContentJson::toJson(m_control.engine().playlist(number.value)));
    json.insert(QStringLiteral("alerts"), alerts);
    return ApiReply::json(json);
}

ApiReply BoardsController::putPlaylist(const ApiRequest &request)
{
    QJsonValue body;
    Outcome outcome = request.json(body);
    if (outcome.ok())
        outcome = m_control.setPlaylist(request.segment(0), body);
    if (!outcome.ok())
        return ApiReply::error(outcome);
    return board(request);
}

ApiReply BoardsController::putMessage(const ApiRequest &request)
{
    QJsonValue body;
    Outcome outcome = request.json(body);
    if (outcome.ok())
        outcome = m_control.setMessage(request.segment(0), body);
    if (!outcome.ok())
        return ApiReply::error(outcome);
    const int number = ContentJson::board(request.segment(0)).value;
    return ApiReply::json(
            QJsonObject { { QStringLiteral("board"), number },
                          { QStringLiteral("playlist"), ContentJson::toJson(m_control.engine().playlist(number)) } });
}

ApiReply BoardsController::deletePlaylist(const ApiRequest &request)
{
    const Outcome outcome = m_control.clearPlaylist(request.segment(0));
    return outcome.ok() ? ApiReply::noContent() : ApiReply::error(outcome);
}
