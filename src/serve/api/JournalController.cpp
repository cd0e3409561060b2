#include "serve/api/JournalController.h"

#include "common/Windows1252.h"
#include "engine/ContentJson.h"
#include "serve/BoardControl.h"
#include "serve/api/ApiServer.h"

#include <QJsonArray>
#include <QJsonObject>

void JournalController::addRoutes(ApiServer &server)
{
    server.route(QHttpServerRequest::Method::Get, QStringLiteral("/api/journal"),
                 [this](const ApiRequest &r) { return list(r); });
}

ApiReply JournalController::list(const ApiRequest &request)
{
    const QUrlQuery query = request.query();
    int board = -1;
    if (query.hasQueryItem(QStringLiteral("board"))) {
        const auto parsed = ContentJson::board(query.queryItemValue(QStringLiteral("board")));
        if (!parsed.ok())
            return ApiReply::error(parsed.error);
        board = parsed.value;
    }
    int limit = defaultLimit;
    if (query.hasQueryItem(QStringLiteral("limit"))) {
        bool ok = false;
        limit = query.queryItemValue(QStringLiteral("limit")).toInt(&ok);
        if (!ok || limit < 1 || limit > maxLimit)
            return ApiReply::error({ Outcome::LimitInvalid, QStringLiteral("limit") });
    }
    QJsonArray entries;
    for (const ServeStore::JournalEntry &entry : m_control.journal(board, limit)) {
        entries.append(QJsonObject { { QStringLiteral("time"), entry.time.toUTC().toString(Qt::ISODateWithMs) },
                                     { QStringLiteral("board"), entry.board },
                                     { QStringLiteral("text"), entry.text },
                                     { QStringLiteral("source"), entry.source },
                                     { QStringLiteral("bytes"), Windows1252::toUnicode(entry.bytes) },
                                     { QStringLiteral("hex"), QString::fromLatin1(entry.bytes.toHex(' ')) } });
    }
    return ApiReply::json(QJsonObject { { QStringLiteral("journal"), entries } });
}
