#include "engine/LiveText.h"

#include "common/Windows1252.h"
#include "messages/TypedText.h"

#include <QList>

namespace LiveText {

namespace {

struct Segment
{
    enum Kind { Literal, Time, Date, Counter, Since, Until, Mqtt } kind = Literal;
    QString text; // Literal: the text; Counter, Mqtt: the name or topic
    QDate date;
};

struct Parse
{
    QList<Segment> segments;
    Outcome::Kind error = Outcome::Done;
    QString field; // the offending field as written
};

// The widest each field can fill: an HH:MM time, a date, a 64-bit number, a
// count of days between any two dates Qt reads with four-digit years.
int widest(Segment::Kind kind)
{
    switch (kind) {
    case Segment::Time:
        return 5;
    case Segment::Date:
        return 10;
    case Segment::Counter:
        return 20;
    case Segment::Since:
    case Segment::Until:
        return 7;
    case Segment::Mqtt:
        return maxTopicValue;
    case Segment::Literal:
        break;
    }
    return 0;
}

QDate readDate(const QString &text)
{
    if (text.size() != 10)
        return {};
    return QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
}

// One field between its braces; Literal with error kind set when it fails.
bool readField(const QString &inner, Segment &segment, Outcome::Kind &error)
{
    const qsizetype colon = inner.indexOf(u':');
    const QString name = colon < 0 ? inner : inner.left(colon);
    const QString argument = colon < 0 ? QString() : inner.mid(colon + 1);
    error = Outcome::TextFieldMalformed;
    if (name == u"time" || name == u"date") {
        segment.kind = name == u"time" ? Segment::Time : Segment::Date;
        return colon < 0;
    }
    if (name == u"counter") {
        segment.kind = Segment::Counter;
        segment.text = argument;
        return colon >= 0 && validCounterName(argument);
    }
    if (name == u"since" || name == u"until") {
        segment.kind = name == u"since" ? Segment::Since : Segment::Until;
        segment.date = readDate(argument);
        return colon >= 0 && segment.date.isValid();
    }
    if (name == u"mqtt") {
        segment.kind = Segment::Mqtt;
        segment.text = argument;
        return colon >= 0 && validTopic(argument);
    }
    error = Outcome::TextFieldUnknown;
    return false;
}

Parse parse(const QString &text)
{
    Parse result;
    QString literal;
    auto fail = [&](Outcome::Kind kind, const QString &field) {
        result.error = kind;
        result.field = field.size() > 60 ? field.left(57) + QStringLiteral("...") : field;
        return result;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch != u'{' && ch != u'}') {
            literal.append(ch);
            continue;
        }
        if (i + 1 < text.size() && text.at(i + 1) == ch) {
            literal.append(ch);
            ++i;
            continue;
        }
        if (ch == u'}')
            return fail(Outcome::TextFieldMalformed, QStringLiteral("}"));
        const qsizetype close = text.indexOf(u'}', i + 1);
        const qsizetype open = text.indexOf(u'{', i + 1);
        if (close < 0 || (open >= 0 && open < close))
            return fail(Outcome::TextFieldMalformed, text.mid(i, (open >= 0 ? open : text.size()) - i));
        Segment segment;
        Outcome::Kind error = Outcome::Done;
        if (!readField(text.mid(i + 1, close - i - 1), segment, error))
            return fail(error, text.mid(i, close - i + 1));
        if (!literal.isEmpty())
            result.segments.append(Segment { Segment::Literal, std::exchange(literal, {}), {} });
        result.segments.append(segment);
        i = close;
    }
    if (!literal.isEmpty())
        result.segments.append(Segment { Segment::Literal, literal, {} });
    return result;
}

void appendDigits(QString &out, int value, int digits)
{
    for (int unit = digits == 4 ? 1000 : 10; unit > 0; unit /= 10)
        out += QChar(u'0' + value / unit % 10);
}

// HH:MM and YYYY-MM-DD as QTime and QDate write them, without their locale
// and calendar machinery: a board's frame is written often.
void appendTime(QString &out, const QTime &time)
{
    appendDigits(out, time.hour(), 2);
    out += u':';
    appendDigits(out, time.minute(), 2);
}

void appendDate(QString &out, const QDate &day)
{
    if (day.year() < 0 || day.year() > 9999) {
        out += day.toString(Qt::ISODate);
        return;
    }
    appendDigits(out, day.year(), 4);
    out += u'-';
    appendDigits(out, day.month(), 2);
    out += u'-';
    appendDigits(out, day.day(), 2);
}

qint64 widestLength(const Parse &parsed)
{
    qint64 length = 0;
    for (const Segment &segment : parsed.segments)
        length += segment.kind == Segment::Literal ? segment.text.size() : widest(segment.kind);
    return length;
}

} // namespace

Outcome check(const QString &text, const QString &field)
{
    const Parse parsed = parse(text);
    if (parsed.error != Outcome::Done)
        return Outcome { parsed.error, field, CommMode::None, 0, parsed.field };
    if (widestLength(parsed) > maxLength)
        return Outcome { Outcome::TextTooLong, field };
    return {};
}

qint64 widestLength(const QString &text)
{
    return widestLength(parse(text));
}

QString expand(const QString &text, const LiveValues &values)
{
    if (!text.contains(u'{') && !text.contains(u'}'))
        return text;
    const Parse parsed = parse(text);
    if (parsed.error != Outcome::Done)
        return text; // never stored: checked before
    const QDate today = values.now.date();
    QString out;
    for (const Segment &segment : parsed.segments) {
        switch (segment.kind) {
        case Segment::Literal:
            out += segment.text;
            break;
        case Segment::Time:
            appendTime(out, values.now.time());
            break;
        case Segment::Date:
            appendDate(out, today);
            break;
        case Segment::Counter:
            out += QString::number(values.counters ? values.counters->value(segment.text) : 0);
            break;
        case Segment::Since:
            out += QString::number(std::max<qint64>(0, segment.date.daysTo(today)));
            break;
        case Segment::Until:
            out += QString::number(std::max<qint64>(0, today.daysTo(segment.date)));
            break;
        case Segment::Mqtt:
            if (values.topics)
                out += values.topics->value(segment.text);
            break;
        }
    }
    return out;
}

QSet<QString> topics(const QString &text)
{
    QSet<QString> found;
    if (!text.contains(u"{mqtt:"))
        return found;
    for (const Segment &segment : parse(text).segments) {
        if (segment.kind == Segment::Mqtt)
            found.insert(segment.text);
    }
    return found;
}

QString topicValue(const QString &payload)
{
    const QString shown = Windows1252::toUnicode(Windows1252::fromUnicode(TypedText::withoutControls(payload)));
    return shown.left(maxTopicValue);
}

bool validCounterName(const QString &name)
{
    if (name.isEmpty() || name.size() > 64)
        return false;
    for (const QChar ch : name) {
        const char16_t c = ch.unicode();
        const bool allowed = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')
                || c == u'_' || c == u'-' || c == u'.';
        if (!allowed)
            return false;
    }
    return true;
}

// What the broker would take as a topic to subscribe to by name alone.
bool validTopic(const QString &topic)
{
    if (topic.isEmpty() || topic.size() > 256)
        return false;
    for (const QChar ch : topic) {
        if (ch == u'+' || ch == u'#' || ch == u'{' || ch == u'}' || ch.unicode() < 32)
            return false;
    }
    return true;
}

} // namespace LiveText
