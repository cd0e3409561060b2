#include "engine/LiveText.h"

#include "common/Windows1252.h"
#include "messages/TypedText.h"

#include <QList>

namespace LiveText {

namespace {

QDate readDate(const QString &text)
{
    if (text.size() != 10)
        return {};
    return QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
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

bool isDate(const QString &argument)
{
    return readDate(argument).isValid();
}

} // namespace

// The widest each field can fill: an HH:MM time, a date, a 64-bit number, a
// count of days between any two dates Qt reads with four-digit years.
const QList<Field> &fields()
{
    static const QList<Field> table {
        { QStringLiteral("time"),
          {},
          5,
          Source::Clock,
          QStringLiteral("the local time, HH:MM"),
          nullptr,
          [](QString &out, const QString &, const QDate &, const LiveValues &values) {
              appendTime(out, values.now.time());
          } },
        { QStringLiteral("date"),
          {},
          10,
          Source::Clock,
          QStringLiteral("the local date, YYYY-MM-DD"),
          nullptr,
          [](QString &out, const QString &, const QDate &, const LiveValues &values) {
              appendDate(out, values.now.date());
          } },
        { QStringLiteral("counter"), QStringLiteral("NAME"), 20, Source::Counter,
          QStringLiteral("the counter's value, 0 until it is set"), validCounterName,
          [](QString &out, const QString &name, const QDate &, const LiveValues &values) {
              out += QString::number(values.counters ? values.counters->value(name) : 0);
          } },
        { QStringLiteral("since"), QStringLiteral("YYYY-MM-DD"), 7, Source::DateArithmetic,
          QStringLiteral("whole days since that date, 0 before it"), isDate,
          [](QString &out, const QString &, const QDate &date, const LiveValues &values) {
              out += QString::number(std::max<qint64>(0, date.daysTo(values.now.date())));
          } },
        { QStringLiteral("until"), QStringLiteral("YYYY-MM-DD"), 7, Source::DateArithmetic,
          QStringLiteral("whole days until that date, 0 after it"), isDate,
          [](QString &out, const QString &, const QDate &date, const LiveValues &values) {
              out += QString::number(std::max<qint64>(0, values.now.date().daysTo(date)));
          } },
        { QStringLiteral("mqtt"), QStringLiteral("TOPIC"), maxTopicValue, Source::Topic,
          QStringLiteral("the last value heard on the bus's topic, empty until then"), validTopic,
          [](QString &out, const QString &topic, const QDate &, const LiveValues &values) {
              if (values.topics)
                  out += values.topics->value(topic);
          } },
    };
    return table;
}

QString sourceName(Source source)
{
    switch (source) {
    case Source::Clock:
        return QStringLiteral("clock");
    case Source::Counter:
        return QStringLiteral("counter");
    case Source::Topic:
        return QStringLiteral("topic");
    case Source::DateArithmetic:
        return QStringLiteral("date arithmetic");
    }
    return {};
}

namespace {

struct Segment
{
    const Field *field = nullptr; // none: a literal
    QString text; // a literal's text, or the field's argument
    QDate date; // a date argument, read once
};

struct Parse
{
    QList<Segment> segments;
    Outcome::Kind error = Outcome::Done;
    QString field; // the offending field as written
};

// One field between its braces; false with the error kind set when it fails.
bool readField(const QString &inner, Segment &segment, Outcome::Kind &error)
{
    const qsizetype colon = inner.indexOf(u':');
    const QString name = colon < 0 ? inner : inner.left(colon);
    for (const Field &field : fields()) {
        if (field.name != name)
            continue;
        segment.field = &field;
        segment.text = colon < 0 ? QString() : inner.mid(colon + 1);
        segment.date = readDate(segment.text);
        error = Outcome::TextFieldMalformed;
        return (colon >= 0) == !field.argument.isEmpty() && (!field.valid || field.valid(segment.text));
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
            result.segments.append(Segment { nullptr, std::exchange(literal, {}), {} });
        result.segments.append(segment);
        i = close;
    }
    if (!literal.isEmpty())
        result.segments.append(Segment { nullptr, literal, {} });
    return result;
}

qint64 widestLength(const Parse &parsed)
{
    qint64 length = 0;
    for (const Segment &segment : parsed.segments)
        length += segment.field ? segment.field->widest : segment.text.size();
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
    QString out;
    for (const Segment &segment : parsed.segments) {
        if (segment.field)
            segment.field->fill(out, segment.text, segment.date, values);
        else
            out += segment.text;
    }
    return out;
}

QSet<QString> topics(const QString &text)
{
    QSet<QString> found;
    if (!text.contains(u'{'))
        return found;
    for (const Segment &segment : parse(text).segments) {
        if (segment.field && segment.field->source == Source::Topic)
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
