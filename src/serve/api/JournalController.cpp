#include "serve/api/JournalController.h"

#include "common/Windows1252.h"
#include "serve/BoardControl.h"
#include "serve/ServiceOutcome.h"
#include "serve/api/ApiServer.h"
#include "serve/content/ContentJson.h"

#include <QJsonArray>
#include <QJsonObject>

void JournalController::addRoutes(ApiServer &server)
{
    server.route(QHttpServerRequest::Method::Get, QStringLiteral("/api/journal"),
                 [this](const ApiRequest &r) { return list(r); });
}

Outcome JournalController::page(const QUrlQuery &query, ServeStore::JournalPage &page)
{
    if (query.hasQueryItem(QStringLiteral("board"))) {
        const auto parsed = ContentJson::board(query.queryItemValue(QStringLiteral("board")));
        if (!parsed.ok())
            return parsed.error;
        page.board = parsed.value.value();
    }
    page.limit = defaultLimit;
    if (query.hasQueryItem(QStringLiteral("limit"))) {
        bool ok = false;
        page.limit = query.queryItemValue(QStringLiteral("limit")).toInt(&ok);
        if (!ok || page.limit < 1 || page.limit > maxLimit)
            return { ServiceOutcome::LimitInvalid, QStringLiteral("limit") };
    }
    if (query.hasQueryItem(QStringLiteral("before"))) {
        bool ok = false;
        page.before = query.queryItemValue(QStringLiteral("before")).toLongLong(&ok);
        if (!ok || page.before < 1)
            return { ServiceOutcome::CursorInvalid, QStringLiteral("before") };
    }
    return {};
}

QJsonObject JournalController::entry(const ServeStore::JournalEntry &entry)
{
    return QJsonObject { { QStringLiteral("id"), entry.id },
                         { QStringLiteral("time"), entry.time.toUTC().toString(Qt::ISODateWithMs) },
                         { QStringLiteral("board"), entry.board },
                         { QStringLiteral("text"), entry.text },
                         { QStringLiteral("textLength"), entry.textLength },
                         { QStringLiteral("source"), entry.source },
                         { QStringLiteral("failed"), entry.failed },
                         { QStringLiteral("bytes"), Windows1252::toUnicode(entry.bytes) },
                         { QStringLiteral("hex"), QString::fromLatin1(entry.bytes.toHex(' ')) },
                         { QStringLiteral("byteLength"), entry.byteLength } };
}

ApiReply JournalController::list(const ApiRequest &request)
{
    ServeStore::JournalPage wanted;
    if (const Outcome read = page(request.query(), wanted); !read.ok())
        return ApiReply::error(read);
    const QList<ServeStore::JournalEntry> found = m_control.journal(wanted);
    QJsonArray entries;
    for (const ServeStore::JournalEntry &one : found)
        entries.append(entry(one));
    // A full page may have older entries behind it: the cursor to them.
    const QJsonValue next = found.size() == wanted.limit ? QJsonValue(found.last().id) : QJsonValue();
    return ApiReply::json(QJsonObject { { QStringLiteral("journal"), entries }, { QStringLiteral("next"), next } });
}
