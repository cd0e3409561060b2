#ifndef CONTENTJSON_H
#define CONTENTJSON_H

#include "common/Result.h"
#include "engine/Alert.h"
#include "engine/PlaylistItem.h"
#include "engine/Showing.h"
#include "serve/content/BoardNumber.h"
#include "serve/content/ContentArchive.h"
#include "serve/content/CounterName.h"
#include "store/ServeStore.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>

// The one place that reads and writes board content: each front end (the
// API, the bus, the page's face) decodes what it received with it into the
// engine's types before it hands them to BoardControl, and the store's JSON
// is read and written here, so all of them refuse the same things with the
// same words. A failure is an Outcome whose subject names the field
// ("brightness", "items[3].from"); MessageText words it.
namespace ContentJson {

constexpr int maxItems = 100;
constexpr int maxItemSeconds = 86400;
constexpr int maxAlertSeconds = 604800;
constexpr int maxName = 40; // a board's name, in characters
constexpr int maxGroups = 16; // groups of one board
constexpr int maxGroupName = 32;

Result<PlaylistItem> item(const QJsonValue &json); // every item key, defaults applied
Result<QList<PlaylistItem>> playlist(const QJsonValue &json); // an array of at most 100 items
Result<PlaylistItem> message(const QJsonValue &json); // text, mode, brightness only
Result<Alert> alert(const QJsonValue &json, const QDateTime &now); // text, mode, brightness, priority, seconds
Result<int> mode(const QJsonValue &json); // a name or 0..5
Result<int> brightness(const QJsonValue &json);
Result<BoardNumber> board(const QString &text); // "0".."99"
Result<qint64> alertId(const QString &text); // AlertUnknown when it is not a number
Result<CounterName> counterName(const QString &name); // letters, digits, _ - . (1 to 64)
// A counter is a whole number a JSON number holds exactly, from -maxCounter
// to maxCounter, whether it comes as a number or as a text (off the bus).
constexpr qint64 maxCounter = (qint64(1) << 53) - 1;
Result<qint64> counterValue(const QJsonValue &json, const QString &field);
Result<qint64> counterSum(qint64 value, qint64 by); // refused past maxCounter, as "value"
// A board's declaration: "name" (null or a text of at most 40 characters
// after the typed-text treatment; empty: none) and "groups" (at most 16
// group names), both optional.
Result<ServeStore::Declaration> declaration(const QJsonValue &json);
// A group named in a path or a topic: "all", or a name a board may have.
Result<QString> group(const QString &name, const QString &field = QStringLiteral("group"));
QJsonObject toJson(const ServeStore::Declaration &declaration); // "name" (null when none) and "groups"
// A text as typed anywhere (API, bus): the typed-text treatment, then checked
// for its fields and its length; field names the text in errors.
Result<QString> text(const QJsonValue &json, const QString &field);

QJsonObject toJson(const PlaylistItem &item);
QJsonArray toJson(const QList<PlaylistItem> &items);
QJsonObject toJson(const Alert &alert, const QDateTime &now); // with "id", "secondsLeft"
QJsonObject toJson(const Showing &showing);

// The store's form of an alert: toJson's with "raised" and "ends", read back
// as it was written.
QJsonObject record(const Alert &alert);
Result<Alert> alertRecord(const QJsonValue &json);

// The whole content, as export writes it and import reads it. archive()
// checks all of it before any of it is used; its failure names the first bad
// place ("boards[3].playlist[2].mode").
QJsonObject toJson(const ContentArchive &archive, const QDateTime &exported);
Result<ContentArchive> archive(const QJsonValue &json);

QString modeName(int mode);
QString sourceName(Showing::Source source); // none, playlist, alert

} // namespace ContentJson

#endif
