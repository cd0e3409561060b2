#ifndef LIVETEXT_H
#define LIVETEXT_H

#include "common/Outcome.h"

#include <QDateTime>
#include <QHash>
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
