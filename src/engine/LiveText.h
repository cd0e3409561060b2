#ifndef LIVETEXT_H
#define LIVETEXT_H

#include "common/Outcome.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

// What the live fields of a text are filled with at one moment.
struct LiveValues
{
    QDateTime now; // local time
    const QMap<QString, qint64> *counters = nullptr; // a missing counter reads 0
    const QHash<QString, QString> *topics = nullptr; // a topic not yet heard reads empty
};

// The live fields of a text: {time} {date} {counter:NAME} {since:YYYY-MM-DD}
// {until:YYYY-MM-DD} {mqtt:TOPIC}; {{ and }} are literal braces. A text is
// checked when it is stored, so expanding it never fails and never grows
// past maxLength.
namespace LiveText {

// Where a field's value comes from when a text is expanded.
enum class Source { Clock, Counter, Topic, DateArithmetic };

// One kind of field: how it is written, how wide it can fill, what it fills
// with and from where. A new field is one row of fields() and its test; the
// checks, the expansion, the bus's subscriptions and the page's list of
// fields (GET /api/fields) read the table.
struct Field
{
    QString name; // {name} or {name:ARGUMENT}
    QString argument; // what the argument is, as the page shows it; empty: none
    int widest; // characters it can fill at most
    Source source;
    QString expands; // what it fills with, in a few words
    bool (*valid)(const QString &argument);
    void (*fill)(QString &out, const QString &argument, const QDate &date, const LiveValues &values);
};

const QList<Field> &fields();
QString sourceName(Source source);

constexpr int maxLength = 65536; // characters of the widest expansion
constexpr int maxTopicValue = 200; // characters kept of a topic's payload

// Done, or the field that is unknown or malformed (subject: field, description:
// the offending field as written), or the text too long for its widest expansion.
Outcome check(const QString &text, const QString &field);
// The characters of the text's widest expansion (of a text that passes check).
qint64 widestLength(const QString &text);
QString expand(const QString &text, const LiveValues &values);
QSet<QString> topics(const QString &text);
// A payload as it is shown: controls dropped, at most maxTopicValue characters.
QString topicValue(const QString &payload);
bool validCounterName(const QString &name);
bool validTopic(const QString &topic);

} // namespace LiveText

#endif
