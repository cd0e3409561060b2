#include "serve/api/FaceController.h"

#include "engine/BoardEngine.h"
#include "engine/LiveText.h"
#include "face/GlyphTable.h"
#include "face/LedMatrix.h"
#include "serve/BoardControl.h"
#include "serve/api/ApiRequest.h"
#include "serve/api/ApiServer.h"
#include "serve/content/ContentJson.h"
#include "serve/content/ContentOutcome.h"

#include <QBuffer>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonObject>

namespace {

// A query value reads as the number it spells, so that the item's own check
// answers "brightness" as it would in a JSON body.
QJsonValue queryValue(const QString &text)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok ? QJsonValue(number) : QJsonValue(text);
}

// The text to preview with its mode and brightness, checked in the order and
// with the words of a message's JSON body.
Result<PlaylistItem> message(const QUrlQuery &query)
{
    const auto value = [&query](const QString &key) { return query.queryItemValue(key, QUrl::FullyDecoded); };
    Result<PlaylistItem> item;
    const auto text = ContentJson::text(value(QStringLiteral("text")), QStringLiteral("text"));
    item.value.text = text.value;
    item.error = text.error;
    if (item.ok() && query.hasQueryItem(QStringLiteral("mode"))) {
        const auto mode = ContentJson::mode(queryValue(value(QStringLiteral("mode"))));
        item.value.mode = mode.value;
        item.error = mode.error;
    }
    if (item.ok() && query.hasQueryItem(QStringLiteral("brightness"))) {
        const auto brightness = ContentJson::brightness(queryValue(value(QStringLiteral("brightness"))));
        item.value.brightness = brightness.value;
        item.error = brightness.error;
    }
    return item;
}

} // namespace

void FaceController::addRoutes(ApiServer &server)
{
    server.route(QHttpServerRequest::Method::Get, QStringLiteral("/api/boards/*/face.png"),
                 [this](const ApiRequest &request) { return face(request); });
    server.route(QHttpServerRequest::Method::Get, QStringLiteral("/api/glyphs"), [](const ApiRequest &) {
        static const ApiReply reply = glyphs();
        return reply;
    });
}

ApiReply FaceController::glyphs()
{
    const auto rowsJson = [](const GlyphTable::Rows &rows) {
        QJsonArray json;
        for (const auto row : rows)
            json.append(row);
        return json;
    };
    QJsonObject glyphs;
    for (const QChar ch : GlyphTable::characters())
        glyphs.insert(QString(ch), rowsJson(GlyphTable::rows(ch)));
    QJsonArray steps;
    for (int mode = 0; mode <= 5; ++mode)
        steps.append(LedMatrix::crawlStepMs(mode));
    QJsonArray intensity;
    for (int brightness = 0; brightness <= 99; ++brightness)
        intensity.append(LedMatrix::intensity(brightness));
    return ApiReply::json(QJsonObject {
            { QStringLiteral("width"), GlyphTable::width },
            { QStringLiteral("height"), GlyphTable::height },
            { QStringLiteral("cellPitch"), LedMatrix::cellPitch },
            { QStringLiteral("columns"), columns },
            { QStringLiteral("stepMs"), steps },
            { QStringLiteral("intensity"), intensity },
            { QStringLiteral("placeholder"), rowsJson(GlyphTable::placeholder()) },
            { QStringLiteral("glyphs"), glyphs },
    });
}

ApiReply FaceController::face(const ApiRequest &request) const
{
    const auto board = ContentJson::board(request.segment(0));
    if (!board.ok())
        return ApiReply::error(board.error);
    const QUrlQuery query = request.query();
    const BoardEngine &engine = m_control.engine();
    const QDateTime now = engine.localNow();
    FaceState face;
    qint64 elapsedMs = 0;
    if (query.hasQueryItem(QStringLiteral("text"))) {
        const auto parsed = message(query);
        if (!parsed.ok())
            return ApiReply::error(parsed.error);
        const QMap<QString, qint64> counters = engine.counters();
        const QHash<QString, QString> noTopics; // a preview shows a bus value as not yet heard
        face = { parsed.value.mode, parsed.value.brightness,
                 LiveText::expand(parsed.value.text, { now, &counters, &noTopics }) };
    } else {
        const Showing showing = engine.showing(board.value.value());
        face = { showing.mode, showing.brightness, showing.text };
        const QDateTime sent = engine.lastSent(board.value.value()).time;
        elapsedMs = sent.isValid() ? qMax<qint64>(0, sent.msecsTo(now)) : 0;
    }

    QImage image;
    if (query.hasQueryItem(QStringLiteral("first"))) {
        bool ok = false;
        const int first = query.queryItemValue(QStringLiteral("first")).toInt(&ok);
        if (!ok)
            return ApiReply::error({ ContentOutcome::CounterValueInvalid, QStringLiteral("first") });
        image = LedMatrix::render({ 0, face.brightness, face.text.mid(qMax(0, first), stripCells) }, stripCells, 0);
    } else {
        image = LedMatrix::render(face, columns, elapsedMs);
    }
    ApiReply reply;
    QBuffer buffer(&reply.body);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    reply.contentType = "image/png";
    reply.headers = {
        { "X-Face-Step-Ms", QByteArray::number(LedMatrix::isMoving(face) ? LedMatrix::crawlStepMs(face.mode) : 0) },
        { "X-Face-Elapsed-Ms", QByteArray::number(elapsedMs) },
        { "X-Face-Length", QByteArray::number(face.text.size()) },
    };
    return reply;
}
