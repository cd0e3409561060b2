#include "serve/content/ContentJson.h"

#include "common/Windows1252.h"
#include "engine/LiveText.h"
#include "messages/TypedText.h"
#include "protocol/PresentMode.h"
#include "serve/content/ContentOutcome.h"
#include "store/StoreOutcome.h"

#include <QRegularExpression>

#include <QStringList>
#include <algorithm>

#include <cmath>

namespace ContentJson {

namespace {

const QStringList dayNames
        = { QStringLiteral("mon"), QStringLiteral("tue"), QStringLiteral("wed"), QStringLiteral("thu"),
            QStringLiteral("fri"), QStringLiteral("sat"), QStringLiteral("sun") };

Outcome failure(ContentOutcome kind, const QString &subject)
{
    return Outcome { kind, subject };
}

Outcome counterRefused(const QString &field)
{
    Outcome refused = failure(ContentOutcome::CounterValueInvalid, field);
    refused.limit = maxCounter;
    return refused;
}

// A whole number from a JSON number, or from a text of digits (a payload
// off the bus is text).
bool wholeNumber(const QJsonValue &json, qint64 &value)
{
    // A JSON number past 2^53 is not exact: 2^53 + 1 reads back as 2^53.
    if (json.isDouble()) {
        const double number = json.toDouble();
        if (std::floor(number) != number || std::fabs(number) >= 9007199254740992.0)
            return false;
        value = qint64(number);
        return true;
    }
    if (!json.isString())
        return false;
    const QString text = json.toString().trimmed();
    if (text.isEmpty() || text.size() > 20)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!text.at(i).isDigit() && !(i == 0 && text.size() > 1 && (text.at(0) == u'-' || text.at(0) == u'+')))
            return false;
    }
    bool ok = false;
    value = text.toLongLong(&ok);
    return ok;
}

Result<int> ranged(const QJsonValue &json, int low, int high, ContentOutcome kind, const QString &field)
{
    qint64 value = 0;
    if (!wholeNumber(json, value) || value < low || value > high)
        return { 0, failure(kind, field) };
    return { int(value), {} };
}

Result<int> minuteOfDay(const QJsonValue &json, int latest, ContentOutcome kind, const QString &field)
{
    static const QRegularExpression shape(QRegularExpression::anchoredPattern(u"([0-9]{2}):([0-5][0-9])"));
    const QRegularExpressionMatch match = shape.match(json.toString());
    const int minute = match.captured(1).toInt() * 60 + match.captured(2).toInt();
    if (!json.isString() || !match.hasMatch() || minute > latest)
        return { 0, failure(kind, field) };
    return { minute, {} };
}

Result<QDate> date(const QJsonValue &json, const QString &field)
{
    if (json.isNull() || json.isUndefined())
        return {};
    const QDate day = json.isString() && json.toString().size() == 10
            ? QDate::fromString(json.toString(), QStringLiteral("yyyy-MM-dd"))
            : QDate();
    if (!day.isValid())
        return { {}, failure(ContentOutcome::DateInvalid, field) };
    return { day, {} };
}

Result<quint8> days(const QJsonValue &json, const QString &field)
{
    QStringList words;
    if (json.isString()) {
        words = json.toString().split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
    } else if (json.isArray()) {
        for (const QJsonValue &day : json.toArray())
            words.append(day.isString() ? day.toString() : QStringLiteral("?"));
    }
    quint8 bits = 0;
    for (const QString &word : std::as_const(words)) {
        const qsizetype index = dayNames.indexOf(word.toLower());
        if (index < 0)
            return { 0, failure(ContentOutcome::DaysInvalid, field) };
        bits |= quint8(1 << index);
    }
    if (bits == 0)
        return { 0, failure(ContentOutcome::DaysInvalid, field) };
    return { bits, {} };
}

// The object's keys, each known here; the failure names the first other one.
Outcome object(const QJsonValue &json, const QString &name, const QString &prefix, const QStringList &keys)
{
    if (!json.isObject())
        return failure(ContentOutcome::NotAnObject, name);
    const QJsonObject fields = json.toObject();
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        if (!keys.contains(it.key()))
            return failure(ContentOutcome::FieldUnknown, prefix + it.key());
    }
    return {};
}

// Reads the fields an item, a message and an alert share.
struct Reader
{
    QJsonObject fields;
    QString prefix;
    Outcome error;

    bool has(const char *key) const { return fields.contains(QLatin1String(key)); }
    QJsonValue at(const char *key) const { return fields.value(QLatin1String(key)); }
    QString name(const char *key) const { return prefix + QLatin1String(key); }

    template<typename T> void take(T &into, const Result<T> &parsed)
    {
        if (!error.ok())
            return;
        if (parsed.ok())
            into = parsed.value;
        else
            error = parsed.error;
    }
    void common(QString &text, int &mode, int &brightness)
    {
        if (!has("text"))
            error = failure(ContentOutcome::FieldMissing, name("text"));
        else
            take(text, ContentJson::text(at("text"), name("text")));
        if (has("mode"))
            take(mode, ranged(modeIndex(at("mode")), 0, 5, ContentOutcome::ModeInvalid, name("mode")));
        if (has("brightness"))
            take(brightness, ranged(at("brightness"), 0, 99, ContentOutcome::BrightnessOutOfRange, name("brightness")));
    }
    static QJsonValue modeIndex(const QJsonValue &json)
    {
        const qsizetype named
                = json.isString() ? PresentMode::keywords.indexOf(json.toString().trimmed().toLower()) : -1;
        return named >= 0 ? QJsonValue(int(named)) : json;
    }
};

Result<PlaylistItem> itemAt(const QJsonValue &json, const QString &name, const QString &prefix)
{
    static const QStringList keys
            = { QStringLiteral("text"),    QStringLiteral("mode"),      QStringLiteral("brightness"),
                QStringLiteral("seconds"), QStringLiteral("days"),      QStringLiteral("from"),
                QStringLiteral("until"),   QStringLiteral("firstDate"), QStringLiteral("lastDate") };
    Result<PlaylistItem> parsed;
    parsed.error = object(json, name, prefix, keys);
    if (!parsed.ok())
        return parsed;
    PlaylistItem &item = parsed.value;
    Reader read { json.toObject(), prefix, {} };
    read.common(item.text, item.mode, item.brightness);
    if (read.has("seconds"))
        read.take(item.seconds,
                  ranged(read.at("seconds"), 1, maxItemSeconds, ContentOutcome::SecondsInvalid, read.name("seconds")));
    if (read.has("days"))
        read.take(item.days, days(read.at("days"), read.name("days")));
    if (read.has("from"))
        read.take(item.fromMinute, minuteOfDay(read.at("from"), 1439, ContentOutcome::FromInvalid, read.name("from")));
    if (read.has("until"))
        read.take(item.untilMinute,
                  minuteOfDay(read.at("until"), 1440, ContentOutcome::UntilInvalid, read.name("until")));
    read.take(item.firstDate, date(read.at("firstDate"), read.name("firstDate")));
    read.take(item.lastDate, date(read.at("lastDate"), read.name("lastDate")));
    if (read.error.ok() && item.fromMinute == item.untilMinute)
        read.error = failure(ContentOutcome::UntilEqualsFrom, read.name("until"));
    if (read.error.ok() && item.firstDate.isValid() && item.lastDate.isValid() && item.lastDate < item.firstDate)
        read.error = failure(ContentOutcome::DatesReversed, read.name("lastDate"));
    parsed.error = read.error;
    return parsed;
}

QString minuteText(int minute)
{
    return QStringLiteral("%1:%2").arg(minute / 60, 2, 10, QLatin1Char('0')).arg(minute % 60, 2, 10, QLatin1Char('0'));
}

QJsonValue dateJson(const QDate &day)
{
    return day.isValid() ? QJsonValue(day.toString(Qt::ISODate)) : QJsonValue(QJsonValue::Null);
}

QJsonValue timeJson(const QDateTime &time)
{
    return time.isValid() ? QJsonValue(time.toUTC().toString(Qt::ISODateWithMs)) : QJsonValue(QJsonValue::Null);
}

// name: the array's place in errors; items: its items' ("items[3]").
Result<QList<PlaylistItem>> playlistAt(const QJsonValue &json, const QString &name, const QString &items)
{
    Result<QList<PlaylistItem>> parsed;
    if (!json.isArray() || json.toArray().size() > maxItems) {
        parsed.error = failure(ContentOutcome::PlaylistInvalid, name);
        return parsed;
    }
    const QJsonArray array = json.toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString place = QStringLiteral("%1[%2]").arg(items).arg(i);
        const Result<PlaylistItem> one = itemAt(array.at(i), place, place + u'.');
        if (!one.ok()) {
            parsed.error = one.error;
            return parsed;
        }
        parsed.value.append(one.value);
    }
    return parsed;
}

// An alert as the store or an archive keeps it; withId: the store's, which
// names its id.
Result<Alert> alertRecordAt(const QJsonValue &json, const QString &name, const QString &prefix, const QStringList &keys,
                            bool withId)
{
    Result<Alert> parsed;
    parsed.error = object(json, name, prefix, keys);
    if (!parsed.ok())
        return parsed;
    Alert &stored = parsed.value;
    Reader read { json.toObject(), prefix, {} };
    read.common(stored.text, stored.mode, stored.brightness);
    read.take(stored.priority,
              ranged(read.at("priority"), 1, 9, ContentOutcome::PriorityInvalid, read.name("priority")));
    if (withId)
        read.take(stored.id, counterValue(read.at("id"), read.name("id")));
    for (const char *key : { "raised", "ends" }) {
        const QDateTime time = QDateTime::fromString(read.at(key).toString(), Qt::ISODateWithMs);
        if (read.error.ok() && !time.isValid())
            read.error = failure(ContentOutcome::DateInvalid, read.name(key));
        (qstrcmp(key, "raised") == 0 ? stored.raised : stored.ends) = time.toUTC();
    }
    parsed.error = read.error;
    return parsed;
}

Result<ServeStore::Declaration> declarationAt(const QJsonObject &fields, const QString &prefix);
Result<ContentArchive::Board> archivedBoard(const QJsonValue &json, const QString &place, const QList<int> &earlier);
Result<ContentArchive::SharedAlert> archivedAlert(const QJsonValue &json, const QString &place);

} // namespace

Result<PlaylistItem> item(const QJsonValue &json)
{
    return itemAt(json, QStringLiteral("item"), QString());
}

Result<QList<PlaylistItem>> playlist(const QJsonValue &json)
{
    return playlistAt(json, QStringLiteral("playlist"), QStringLiteral("items"));
}

Result<PlaylistItem> message(const QJsonValue &json)
{
    static const QStringList keys = { QStringLiteral("text"), QStringLiteral("mode"), QStringLiteral("brightness") };
    Result<PlaylistItem> parsed;
    parsed.error = object(json, QStringLiteral("message"), QString(), keys);
    if (!parsed.ok())
        return parsed;
    Reader read { json.toObject(), QString(), {} };
    read.common(parsed.value.text, parsed.value.mode, parsed.value.brightness);
    parsed.error = read.error;
    return parsed;
}

Result<Alert> alert(const QJsonValue &json, const QDateTime &now)
{
    static const QStringList keys = { QStringLiteral("text"), QStringLiteral("mode"), QStringLiteral("brightness"),
                                      QStringLiteral("priority"), QStringLiteral("seconds") };
    Result<Alert> parsed;
    parsed.error = object(json, QStringLiteral("alert"), QString(), keys);
    if (!parsed.ok())
        return parsed;
    Alert &raised = parsed.value;
    Reader read { json.toObject(), QString(), {} };
    read.common(raised.text, raised.mode, raised.brightness);
    if (read.has("priority"))
        read.take(raised.priority,
                  ranged(read.at("priority"), 1, 9, ContentOutcome::PriorityInvalid, read.name("priority")));
    int seconds = 60;
    if (read.has("seconds"))
        read.take(seconds,
                  ranged(read.at("seconds"), 1, maxAlertSeconds, ContentOutcome::AlertSecondsInvalid,
                         read.name("seconds")));
    raised.raised = now;
    raised.ends = now.addSecs(seconds);
    parsed.error = read.error;
    return parsed;
}

Result<int> mode(const QJsonValue &json)
{
    return ranged(Reader::modeIndex(json), 0, 5, ContentOutcome::ModeInvalid, QStringLiteral("mode"));
}

Result<int> brightness(const QJsonValue &json)
{
    return ranged(json, 0, 99, ContentOutcome::BrightnessOutOfRange, QStringLiteral("brightness"));
}

Result<BoardNumber> board(const QString &text)
{
    const bool digits = !text.isEmpty() && text.size() <= 2
            && std::all_of(text.begin(), text.end(), [](QChar ch) { return ch >= u'0' && ch <= u'9'; });
    if (!digits)
        return { {}, failure(ContentOutcome::BoardOutOfRange, QStringLiteral("board")) };
    return { BoardNumber(text.toInt()), {} };
}

Result<qint64> alertId(const QString &text)
{
    bool ok = false;
    const qint64 id = text.toLongLong(&ok);
    if (!ok)
        return { 0, Outcome { StoreOutcome::AlertUnknown, text } };
    return { id, {} };
}

Result<CounterName> counterName(const QString &name)
{
    if (!LiveText::validCounterName(name)) {
        return { {},
                 Outcome { ContentOutcome::CounterNameInvalid, QStringLiteral("name"), CommMode::None, 0,
                           LiveText::topicValue(name.left(64)) } };
    }
    return { CounterName(name), {} };
}

Result<QString> group(const QString &name, const QString &field)
{
    const bool valid
            = !name.isEmpty() && name.size() <= maxGroupName && std::all_of(name.cbegin(), name.cend(), [](QChar c) {
                  return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'_';
              });
    if (!valid)
        return { {}, Outcome { ContentOutcome::GroupInvalid, field, CommMode::None, 0, name.left(maxGroupName) } };
    return { name, {} };
}

Result<ServeStore::Declaration> declaration(const QJsonValue &json)
{
    const QStringList keys = { QStringLiteral("name"), QStringLiteral("groups") };
    if (const Outcome known = object(json, QStringLiteral("board"), {}, keys); !known.ok())
        return { {}, known };
    return declarationAt(json.toObject(), QString());
}

namespace {

Result<ServeStore::Declaration> declarationAt(const QJsonObject &fields, const QString &prefix)
{
    const QString name = prefix + QStringLiteral("name"), groups = prefix + QStringLiteral("groups");
    ServeStore::Declaration declared;
    const QJsonValue given = fields.value(QLatin1String("name"));
    if (!given.isNull() && !given.isUndefined()) {
        if (!given.isString())
            return { {}, failure(ContentOutcome::NotText, name) };
        declared.name = TypedText::withoutControls(given.toString()).trimmed();
        if (declared.name.size() > maxName)
            return { {}, Outcome { ContentOutcome::NameTooLong, name, CommMode::None, 0, {}, 0, maxName } };
        if (declared.name.isEmpty())
            declared.name = QString();
    }
    const QJsonValue list = fields.value(QLatin1String("groups"));
    if (!list.isUndefined() && !list.isNull()) {
        if (!list.isArray() || list.toArray().size() > maxGroups)
            return { {}, Outcome { ContentOutcome::GroupsTooMany, groups, CommMode::None, 0, {}, 0, maxGroups } };
        const QJsonArray names = list.toArray();
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QString field = QStringLiteral("%1[%2]").arg(groups).arg(i);
            if (!names.at(i).isString())
                return { {}, failure(ContentOutcome::NotText, field) };
            const auto checked = group(names.at(i).toString(), field);
            if (!checked.ok() || checked.value == u"all")
                return { {},
                         Outcome { ContentOutcome::GroupInvalid, field, CommMode::None, 0, names.at(i).toString() } };
            if (!declared.groups.contains(checked.value))
                declared.groups.append(checked.value);
        }
    }
    return { declared, {} };
}

} // namespace

QJsonObject toJson(const ServeStore::Declaration &declaration)
{
    return { { QStringLiteral("name"), declaration.name.isEmpty() ? QJsonValue() : QJsonValue(declaration.name) },
             { QStringLiteral("groups"), QJsonArray::fromStringList(declaration.groups) } };
}

Result<qint64> counterValue(const QJsonValue &json, const QString &field)
{
    qint64 value = 0;
    if (!wholeNumber(json, value) || value < -maxCounter || value > maxCounter)
        return { 0, counterRefused(field) };
    return { value, {} };
}

Result<qint64> counterSum(qint64 value, qint64 by)
{
    qint64 sum = 0;
    if (qAddOverflow(value, by, &sum) || sum < -maxCounter || sum > maxCounter)
        return { 0, counterRefused(QStringLiteral("value")) };
    return { sum, {} };
}

Result<QString> text(const QJsonValue &json, const QString &field)
{
    if (!json.isString())
        return { {}, failure(ContentOutcome::NotText, field) };
    // What the window's field does to typed text, then what the board's code
    // page cannot show becomes '?', so what is stored is what shows.
    const QString typed = Windows1252::toUnicode(Windows1252::fromUnicode(TypedText::withoutControls(json.toString())));
    const Outcome checked = LiveText::check(typed, field);
    if (!checked.ok())
        return { {}, checked };
    return { typed, {} };
}

QJsonObject toJson(const PlaylistItem &item)
{
    QJsonArray days;
    for (int day = 0; day < 7; ++day) {
        if (item.days & (1 << day))
            days.append(dayNames.at(day));
    }
    return QJsonObject {
        { QStringLiteral("text"), item.text },
        { QStringLiteral("mode"), modeName(item.mode) },
        { QStringLiteral("brightness"), item.brightness },
        { QStringLiteral("seconds"), item.seconds },
        { QStringLiteral("days"), days },
        { QStringLiteral("from"), minuteText(item.fromMinute) },
        { QStringLiteral("until"), minuteText(item.untilMinute) },
        { QStringLiteral("firstDate"), dateJson(item.firstDate) },
        { QStringLiteral("lastDate"), dateJson(item.lastDate) },
    };
}

QJsonArray toJson(const QList<PlaylistItem> &items)
{
    QJsonArray array;
    for (const PlaylistItem &item : items)
        array.append(toJson(item));
    return array;
}

QJsonObject toJson(const Alert &alert, const QDateTime &now)
{
    QJsonObject json = record(alert);
    const qint64 left = now.msecsTo(alert.ends);
    json.insert(QStringLiteral("secondsLeft"), left > 0 ? (left + 999) / 1000 : 0);
    if (!alert.group.isEmpty())
        json.insert(QStringLiteral("group"), alert.group);
    return json;
}

QJsonObject toJson(const Showing &showing)
{
    QJsonObject json {
        { QStringLiteral("source"), sourceName(showing.source) }, { QStringLiteral("text"), showing.text },
        { QStringLiteral("mode"), modeName(showing.mode) },       { QStringLiteral("brightness"), showing.brightness },
        { QStringLiteral("itemCount"), showing.itemCount },       { QStringLiteral("since"), timeJson(showing.since) },
        { QStringLiteral("ends"), timeJson(showing.ends) },
    };
    if (showing.source == Showing::Playlist)
        json.insert(QStringLiteral("itemIndex"), showing.itemIndex);
    if (showing.source == Showing::Alert)
        json.insert(QStringLiteral("alertId"), showing.alertId);
    return json;
}

QJsonObject record(const Alert &alert)
{
    return QJsonObject {
        { QStringLiteral("id"), alert.id },
        { QStringLiteral("text"), alert.text },
        { QStringLiteral("mode"), modeName(alert.mode) },
        { QStringLiteral("brightness"), alert.brightness },
        { QStringLiteral("priority"), alert.priority },
        { QStringLiteral("raised"), timeJson(alert.raised) },
        { QStringLiteral("ends"), timeJson(alert.ends) },
    };
}

Result<Alert> alertRecord(const QJsonValue &json)
{
    static const QStringList keys
            = { QStringLiteral("id"),         QStringLiteral("text"),       QStringLiteral("mode"),
                QStringLiteral("brightness"), QStringLiteral("priority"),   QStringLiteral("raised"),
                QStringLiteral("ends"),       QStringLiteral("secondsLeft") };
    return alertRecordAt(json, QStringLiteral("alert"), QString(), keys, true);
}

QString modeName(int mode)
{
    return PresentMode::isValid(mode) ? PresentMode::keywords.at(mode) : QString::number(mode);
}

QString sourceName(Showing::Source source)
{
    static const QStringList sources = { QStringLiteral("none"), QStringLiteral("playlist"), QStringLiteral("alert") };
    return sources.at(source);
}

namespace {

const QString archiveFormat = QStringLiteral("varoserve-content");

Result<int> boardAt(const QJsonValue &json, const QString &place)
{
    return ranged(json, 0, 99, ContentOutcome::BoardOutOfRange, place);
}

Result<ContentArchive::Board> archivedBoard(const QJsonValue &json, const QString &place, const QList<int> &earlier)
{
    static const QStringList keys
            = { QStringLiteral("board"), QStringLiteral("name"), QStringLiteral("groups"), QStringLiteral("playlist") };
    Result<ContentArchive::Board> parsed;
    const QString prefix = place + u'.';
    if (parsed.error = object(json, place, prefix, keys); !parsed.ok())
        return parsed;
    const QJsonObject fields = json.toObject();
    ContentArchive::Board &board = parsed.value;
    const auto number = boardAt(fields.value(QLatin1String("board")), prefix + QStringLiteral("board"));
    if (!number.ok() || earlier.contains(number.value)) {
        parsed.error = number.ok() ? failure(ContentOutcome::Repeated, prefix + QStringLiteral("board")) : number.error;
        return parsed;
    }
    board.number = number.value;
    board.declared = fields.contains(QLatin1String("name")) || fields.contains(QLatin1String("groups"));
    const auto declared = declarationAt(fields, prefix);
    board.declaration = declared.value;
    parsed.error = declared.error;
    const QJsonValue items = fields.value(QLatin1String("playlist"));
    if (parsed.ok() && !items.isUndefined()) {
        const auto playlist
                = playlistAt(items, prefix + QStringLiteral("playlist"), prefix + QStringLiteral("playlist"));
        board.playlist = playlist.value;
        parsed.error = playlist.error;
    }
    return parsed;
}

Result<ContentArchive::SharedAlert> archivedAlert(const QJsonValue &json, const QString &place)
{
    static const QStringList keys
            = { QStringLiteral("boards"), QStringLiteral("group"),      QStringLiteral("text"),
                QStringLiteral("mode"),   QStringLiteral("brightness"), QStringLiteral("priority"),
                QStringLiteral("raised"), QStringLiteral("ends") };
    Result<ContentArchive::SharedAlert> parsed;
    const QString prefix = place + u'.';
    const auto alert = alertRecordAt(json, place, prefix, keys, false);
    if (parsed.error = alert.error; !parsed.ok())
        return parsed;
    parsed.value.alert = alert.value;
    const QJsonObject fields = json.toObject();
    const QJsonValue boards = fields.value(QLatin1String("boards"));
    if (!boards.isArray() || boards.toArray().isEmpty()) {
        parsed.error = failure(ContentOutcome::BoardsMissing, prefix + QStringLiteral("boards"));
        return parsed;
    }
    for (qsizetype i = 0; i < boards.toArray().size(); ++i) {
        const QString at = QStringLiteral("%1boards[%2]").arg(prefix).arg(i);
        const auto board = boardAt(boards.toArray().at(i), at);
        if (!board.ok() || parsed.value.boards.contains(board.value)) {
            parsed.error = board.ok() ? failure(ContentOutcome::Repeated, at) : board.error;
            return parsed;
        }
        parsed.value.boards.append(board.value);
    }
    std::sort(parsed.value.boards.begin(), parsed.value.boards.end());
    const QJsonValue group = fields.value(QLatin1String("group"));
    if (!group.isUndefined() && !group.isNull()) {
        const auto named = ContentJson::group(group.toString(), prefix + QStringLiteral("group"));
        parsed.value.alert.group = named.value;
        parsed.error = named.error;
    }
    return parsed;
}

// An array under key, each element read by one; the first failure stops.
template<typename Read> Outcome each(const QJsonObject &fields, const char *key, Read one)
{
    const QJsonValue list = fields.value(QLatin1String(key));
    if (!list.isArray())
        return failure(ContentOutcome::NotAnArray, QLatin1String(key));
    const QJsonArray array = list.toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        if (const Outcome read = one(array.at(i), QStringLiteral("%1[%2]").arg(QLatin1String(key)).arg(i)); !read.ok())
            return read;
    }
    return {};
}

} // namespace

Result<ContentArchive> archive(const QJsonValue &json)
{
    static const QStringList keys = { QStringLiteral("format"), QStringLiteral("version"), QStringLiteral("exported"),
                                      QStringLiteral("boards"), QStringLiteral("alerts"),  QStringLiteral("counters") };
    Result<ContentArchive> parsed;
    if (parsed.error = object(json, QStringLiteral("content"), {}, keys); !parsed.ok())
        return parsed;
    const QJsonObject fields = json.toObject();
    ContentArchive &content = parsed.value;
    if (fields.value(QLatin1String("format")) != archiveFormat)
        parsed.error = failure(ContentOutcome::ArchiveUnknown, QStringLiteral("format"));
    else if (fields.value(QLatin1String("version")) != ContentArchive::formatVersion)
        parsed.error = failure(ContentOutcome::ArchiveUnknown, QStringLiteral("version"));
    if (parsed.ok()) {
        QList<int> numbers;
        parsed.error = each(fields, "boards", [&](const QJsonValue &entry, const QString &place) {
            const auto board = archivedBoard(entry, place, numbers);
            numbers.append(board.value.number);
            content.boards.append(board.value);
            return board.error;
        });
    }
    if (parsed.ok()) {
        parsed.error = each(fields, "alerts", [&](const QJsonValue &entry, const QString &place) {
            const auto alert = archivedAlert(entry, place);
            content.alerts.append(alert.value);
            return alert.error;
        });
    }
    const QJsonValue counters = fields.value(QLatin1String("counters"));
    if (parsed.ok() && !counters.isObject())
        parsed.error = failure(ContentOutcome::NotAnObject, QStringLiteral("counters"));
    const QJsonObject values = counters.toObject();
    for (auto it = values.begin(); parsed.ok() && it != values.end(); ++it) {
        const auto name = counterName(it.key());
        const auto value = counterValue(it.value(), QStringLiteral("counters.") + it.key());
        parsed.error = name.ok() ? value.error : name.error;
        content.counters.insert(it.key(), value.value);
    }
    std::sort(content.boards.begin(), content.boards.end(),
              [](const ContentArchive::Board &a, const ContentArchive::Board &b) { return a.number < b.number; });
    return parsed;
}

QJsonObject toJson(const ContentArchive &archive, const QDateTime &exported)
{
    QJsonArray boards;
    for (const ContentArchive::Board &board : archive.boards) {
        QJsonObject entry = board.declared ? toJson(board.declaration) : QJsonObject();
        entry.insert(QStringLiteral("board"), board.number);
        entry.insert(QStringLiteral("playlist"), toJson(board.playlist));
        boards.append(entry);
    }
    QJsonArray alerts;
    for (const ContentArchive::SharedAlert &shared : archive.alerts) {
        QJsonObject entry = record(shared.alert);
        entry.remove(QStringLiteral("id"));
        QJsonArray numbers;
        for (const int board : shared.boards)
            numbers.append(board);
        entry.insert(QStringLiteral("boards"), numbers);
        entry.insert(QStringLiteral("group"),
                     shared.alert.group.isEmpty() ? QJsonValue() : QJsonValue(shared.alert.group));
        alerts.append(entry);
    }
    QJsonObject counters;
    for (auto it = archive.counters.cbegin(); it != archive.counters.cend(); ++it)
        counters.insert(it.key(), it.value());
    return { { QStringLiteral("format"), archiveFormat },
             { QStringLiteral("version"), ContentArchive::formatVersion },
             { QStringLiteral("exported"), timeJson(exported) },
             { QStringLiteral("boards"), boards },
             { QStringLiteral("alerts"), alerts },
             { QStringLiteral("counters"), counters } };
}

} // namespace ContentJson
