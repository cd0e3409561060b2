#include "board/FrameText.h"

#include "common/Windows1252.h"
#include "protocol/PresentMode.h"

namespace {

QString timeText(const QDateTime &time)
{
    return time.toString(QStringLiteral("HH:mm:ss.zzz"));
}

} // namespace

namespace FrameText {

QString modeName(int mode)
{
    return PresentMode::isValid(mode) ? PresentMode::names.at(mode) : QString();
}

QString hex(const QByteArray &bytes, qsizetype limit)
{
    QStringList parts;
    for (qsizetype i = 0; i < qMin(bytes.size(), limit); ++i) {
        const auto byte = static_cast<unsigned char>(bytes.at(i));
        parts << (byte == '\r' ? QStringLiteral("CR") : QStringLiteral("%1").arg(byte, 2, 16, QChar(u'0')).toUpper());
    }
    if (bytes.size() > limit)
        parts << QStringLiteral("…");
    return parts.join(u' ');
}

QString commands(const DecodedFrame &frame)
{
    QStringList parts;
    for (const BoardCommand &command : frame.commands) {
        const QString argument = Windows1252::toUnicode(command.argument);
        if (command.letter == 'C')
            parts << u'C' + argument + u' ' + modeName(argument.toInt());
        else if (command.letter == 'A')
            parts << QStringLiteral("A \"%1\"").arg(argument);
        else
            parts << QChar::fromLatin1(command.letter) + argument;
    }
    return parts.join(QStringLiteral(", "));
}

QString summary(const FrameRecord &record)
{
    // One arg() call: a received text holding "%1" must stay as it came.
    return QStringLiteral("%1  board %2  %3  (%4 bytes from %5)")
            .arg(timeText(record.time), QString::fromLatin1(record.frame.boardText), commands(record.frame),
                 QString::number(record.frame.bytes.size()), record.source);
}

QString summary(const ErrorRecord &record)
{
    return QStringLiteral("%1  %2 at byte %3 from %4: %5")
            .arg(timeText(record.time), record.error.description(), QString::number(record.error.offset), record.source,
                 hex(record.error.sample));
}

} // namespace FrameText
