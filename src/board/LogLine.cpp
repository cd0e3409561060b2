#include "board/LogLine.h"

#include "board/FrameText.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

QByteArray line(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

QString timeText(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

} // namespace

namespace LogLine {

QByteArray frame(const FrameRecord &record)
{
    QJsonObject object {
        { QStringLiteral("type"), QStringLiteral("frame") },
        { QStringLiteral("board"), QString::fromLatin1(record.frame.boardText) },
        { QStringLiteral("number"), record.frame.board },
        { QStringLiteral("mode"), record.shown.mode },
        { QStringLiteral("modeName"), FrameText::modeName(record.shown.mode) },
        { QStringLiteral("brightness"), record.shown.brightness },
        { QStringLiteral("text"), record.shown.text },
        { QStringLiteral("bytes"), record.frame.bytes.size() },
        { QStringLiteral("hex"), FrameText::hex(record.frame.bytes) },
        { QStringLiteral("source"), record.source },
        { QStringLiteral("time"), timeText(record.time) },
    };
    if (!record.line.isEmpty())
        object.insert(QStringLiteral("line"), record.line);
    return line(object);
}

QByteArray error(const ErrorRecord &record)
{
    return line({
            { QStringLiteral("type"), QStringLiteral("error") },
            { QStringLiteral("error"), record.error.name() },
            { QStringLiteral("message"), record.error.description() },
            { QStringLiteral("offset"), record.error.offset },
            { QStringLiteral("sample"), FrameText::hex(record.error.sample) },
            { QStringLiteral("source"), record.source },
            { QStringLiteral("time"), timeText(record.time) },
    });
}

} // namespace LogLine
