#include "serve/mqtt/MqttBridge.h"

#include "engine/BoardEngine.h"
#include "rules/MessageText.h"
#include "serve/BoardControl.h"
#include "serve/ServiceOutcome.h"
#include "serve/content/ContentJson.h"
#include "serve/content/ContentOutcome.h"
#include "serve/mqtt/MqttClient.h"
#include "serve/mqtt/MqttOutcome.h"
#include "serve/mqtt/MqttTopics.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

namespace {

// A JSON document, or the parser's reason worded as the API words it.
Result<QJsonValue> json(const QByteArray &payload)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(payload, &error);
    if (error.error != QJsonParseError::NoError)
        return { {},
                 { ContentOutcome::JsonMalformed,
                   QStringLiteral("%1 at byte %2").arg(error.errorString()).arg(error.offset) } };
    return { document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array()), {} };
}

// "3", "slow", "-12": a number when it reads as one, a text otherwise, as the
// API's JSON would hold it.
QJsonValue scalar(const QString &payload)
{
    const QString trimmed = payload.trimmed();
    bool whole = false;
    const qint64 number = trimmed.toLongLong(&whole);
    if (whole)
        return QJsonValue(number);
    bool real = false;
    const double value = trimmed.toDouble(&real);
    return real ? QJsonValue(value) : QJsonValue(trimmed);
}

// Opens as a JSON object does: a brace, then a quote, a closing brace or
// nothing. No text opens so: there a brace opens a field's name.
bool opensAsObject(const QString &text)
{
    const QString rest = text.trimmed();
    const QString inner = rest.mid(1).trimmed();
    return rest.startsWith(u'{') && (inner.isEmpty() || inner.startsWith(u'"') || inner.startsWith(u'}'));
}

// A JSON object is the API's message; anything else is the text itself,
// shown in the mode and brightness of current.
Result<PlaylistItem> messageItem(const QString &text, const QByteArray &payload, const PlaylistItem &current)
{
    const auto document = json(payload);
    if (document.ok() && document.value.isObject())
        return ContentJson::message(document.value);
    if (!document.ok() && opensAsObject(text))
        return { {}, document.error };
    const auto checked = ContentJson::text(text, QStringLiteral("text"));
    return { { checked.value, current.mode, current.brightness }, checked.error };
}

} // namespace

MqttBridge::MqttBridge(MqttClient &client, BoardControl &control, BoardEngine &engine, const MqttOptions &options,
                       QObject *parent)
    : QObject(parent)
    , m_client(client)
    , m_control(control)
    , m_engine(engine)
    , m_settings(options)
    , m_discovery(options.haPrefix, options.prefix)
    , m_filters(MqttTopics::filters(options.prefix)
                + (options.site.isEmpty() || options.site == options.prefix ? QStringList()
                                                                            : MqttTopics::groupFilters(options.site)))
{
    connect(&client, &MqttClient::connected, this, &MqttBridge::connected);
    connect(&client, &MqttClient::received, this, &MqttBridge::received);
    connect(&client, &MqttClient::disconnected, &m_readLimit, &QTimer::stop);
    // A change raises both of the engine's signals; the second finds the
    // broker holding the state already, and publishes nothing.
    connect(&engine, &BoardEngine::showingChanged, this, &MqttBridge::publishBoard);
    connect(&engine, &BoardEngine::contentChanged, this, &MqttBridge::publishBoard);
    connect(&engine, &BoardEngine::topicsChanged, this, &MqttBridge::listenToTopics);
    // A new name is a new device name: announced again.
    connect(&control, &BoardControl::declarationChanged, this, &MqttBridge::publishBoard);
    m_readLimit.setSingleShot(true);
    m_readLimit.setInterval(readRetainedMs);
    connect(&m_readLimit, &QTimer::timeout, this, [this] {
        emit logLine(MessageText::of(
                { MqttOutcome::RetainedUnread, m_settings.prefix, CommMode::None, 0, {}, 0, readRetainedMs / 1000 }));
        retainedRead();
    });
}

bool MqttBridge::isCommand(const QString &topic) const
{
    return std::any_of(m_filters.cbegin(), m_filters.cend(),
                       [&topic](const QString &filter) { return MqttClient::matches(filter, topic); });
}

void MqttBridge::connected()
{
    for (const QString &filter : m_filters)
        m_client.subscribe(filter);
    m_topics.clear();
    listenToTopics();
    // The broker hands over what it retains at the subscription before it
    // handles the publish that follows: "online" heard back unretained comes
    // after the last of it.
    m_retained.clear();
    m_reading = true;
    m_client.subscribe(retainedFilters());
    m_client.publish(MqttTopics::status(m_settings.prefix), "online", true);
    m_readLimit.start();
}

QStringList MqttBridge::retainedFilters() const
{
    QStringList filters { MqttTopics::status(m_settings.prefix), MqttTopics::states(m_settings.prefix) };
    for (int board = 0; m_settings.discovery && board < BoardEngine::boardCount; ++board)
        for (const HaDiscovery::Message &message : m_discovery.withdraw(board))
            filters.append(message.topic);
    return filters;
}

// Every board, also those with nothing: what an earlier run left retained
// for a board since emptied is withdrawn here.
void MqttBridge::retainedRead()
{
    m_reading = false;
    m_readLimit.stop();
    QStringList filters = retainedFilters();
    filters.removeIf([this](const QString &filter) { return m_topics.contains(filter); }); // a {mqtt:} topic stays
    m_client.unsubscribe(filters);
    for (int board = 0; board < BoardEngine::boardCount; ++board)
        publishBoard(board);
}

bool MqttBridge::known(int board) const
{
    return m_settings.boards.contains(board) || m_control.site().isDeclared(board)
            || !m_engine.playlist(board).isEmpty() || !m_engine.alerts(board).isEmpty();
}

QString MqttBridge::stateTopic(int board) const
{
    return MqttTopics::state(m_settings.prefix, board);
}

void MqttBridge::publishBoard(int board)
{
    if (m_reading || !m_client.isConnected())
        return;
    for (const HaDiscovery::Message &message : boardMessages(board)) {
        if (m_retained.value(message.topic) == message.payload)
            continue;
        m_client.publish(message.topic, message.payload, true);
        if (message.payload.isEmpty())
            m_retained.remove(message.topic);
        else
            m_retained.insert(message.topic, message.payload);
    }
}

// What the broker should retain for the board, in the order it is told: a
// state before the configs that point Home Assistant at it, and configs
// withdrawn before the state they read is emptied.
QList<HaDiscovery::Message> MqttBridge::boardMessages(int board) const
{
    const bool present = known(board);
    const HaDiscovery::Message state { stateTopic(board), present ? this->state(board) : QByteArray() };
    if (!m_settings.discovery)
        return { state };
    if (!present)
        return m_discovery.withdraw(board) << state;
    QList<HaDiscovery::Message> messages { state };
    return messages + m_discovery.announce(board, m_control.site().declaration(board).name);
}

// What the board shows, as the API's showing, and under "item" what was set:
// the current item's text as stored (its fields unexpanded), mode and
// brightness, which an alert does not cover; null without a playlist.
QByteArray MqttBridge::state(int board) const
{
    QJsonObject json = ContentJson::toJson(m_engine.showing(board));
    const std::optional<PlaylistItem> item = currentItem(board);
    json.insert(QStringLiteral("item"),
                item ? QJsonObject { { QStringLiteral("text"), item->text },
                                     { QStringLiteral("mode"), ContentJson::modeName(item->mode) },
                                     { QStringLiteral("brightness"), item->brightness } }
                     : QJsonValue());
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

// The item that the message, mode and brightness commands change: the one
// that shows, or the first while an alert or nothing shows.
std::optional<PlaylistItem> MqttBridge::currentItem(int board) const
{
    const QList<PlaylistItem> items = m_engine.playlist(board);
    if (items.isEmpty())
        return std::nullopt;
    const Showing now = m_engine.showing(board);
    return items.value(now.source == Showing::Playlist ? now.itemIndex : 0);
}

void MqttBridge::listenToTopics()
{
    QSet<QString> wanted;
    for (const QString &topic : m_engine.topics()) {
        if (!isCommand(topic))
            wanted.insert(topic);
    }
    for (const QString &topic : m_topics - wanted)
        m_client.unsubscribe(topic);
    for (const QString &topic : wanted - m_topics)
        m_client.subscribe(topic);
    m_topics = m_client.isConnected() ? wanted : QSet<QString>();
}

void MqttBridge::received(const QString &topic, const QByteArray &payload, bool retained)
{
    if (m_reading && retained)
        m_retained.insert(topic, payload);
    if (m_reading && !retained && topic == MqttTopics::status(m_settings.prefix))
        retainedRead();
    if (m_engine.topics().contains(topic))
        m_engine.setTopicValue(topic, QString::fromUtf8(payload.left(maxPayload)));

    const bool own = topic.startsWith(m_settings.prefix + u'/');
    const QString head = (own ? m_settings.prefix : m_settings.site) + u'/';
    if (!isCommand(topic) || (!own && !topic.startsWith(head)))
        return; // a {mqtt:} topic under our prefix
    // A retained command is replayed at every subscription; applied, it would
    // undo whatever changed since it was published.
    const QStringList levels = topic.mid(head.size()).split(u'/');
    const auto board = ContentJson::board(levels.first());
    if (retained) {
        emit commanded(topic, board.ok() ? board.value.value() : -1, { MqttOutcome::CommandRetained });
        refuse(topic, { MqttOutcome::CommandRetained });
        return;
    }
    const Outcome outcome = command(levels, payload);
    // A site's group that has none of our boards is another service's.
    if (!own && outcome.is(ServiceOutcome::GroupUnknown))
        return;
    emit commanded(topic, board.ok() ? board.value.value() : -1, outcome);
    if (!outcome.ok())
        refuse(topic, outcome);
}

Outcome MqttBridge::command(const QStringList &levels, const QByteArray &payload)
{
    const std::optional<MqttTopics::Command> command = MqttTopics::command(levels);
    if (!command)
        return { MqttOutcome::TopicUnknown, {}, CommMode::None, 0, MqttTopics::described() };
    const auto board = ContentJson::board(levels[0]); // on the topics that name one
    // Ending the alerts needs nothing from the payload, so no payload fails it.
    if (*command == MqttTopics::Command::AlertClear)
        return board.ok() ? m_control.clearAlerts(board.value).error : board.error;
    if (*command == MqttTopics::Command::GroupAlertClear) {
        const auto group = ContentJson::group(levels[1]);
        return group.ok() ? m_control.endGroupAlerts(group.value).error : group.error;
    }
    if (payload.size() > maxPayload)
        return { MqttOutcome::PayloadTooLarge };
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(payload);
    if (decoder.hasError() || text.contains(QChar(0)))
        return { ContentOutcome::NotText, QStringLiteral("payload") };

    if (MqttTopics::isGroupCommand(*command))
        return groupCommand(*command, levels[1], text, payload);
    switch (*command) {
    case MqttTopics::Command::CounterAdd:
    case MqttTopics::Command::CounterSet:
        return counter(*command, levels[1], text);
    case MqttTopics::Command::Mode:
    case MqttTopics::Command::Brightness:
        return board.ok() ? change(*command, board.value, text) : board.error;
    case MqttTopics::Command::AlertSet: {
        const auto object = json(payload);
        if (!object.ok() || !board.ok())
            return object.ok() ? board.error : object.error;
        const auto alert = ContentJson::alert(object.value, m_control.clock().now());
        return alert.ok() ? m_control.raiseAlert(board.value, alert.value).error : alert.error;
    }
    case MqttTopics::Command::Message:
        return board.ok() ? message(board.value, text, payload) : board.error;
    case MqttTopics::Command::AlertClear:
    case MqttTopics::Command::GroupMessage:
    case MqttTopics::Command::GroupPlaylist:
    case MqttTopics::Command::GroupAlertSet:
    case MqttTopics::Command::GroupAlertClear:
        break;
    }
    return {};
}

// The board commands' payloads, for every board of the group; plain text
// shows left and 99, as on a board without a playlist.
Outcome MqttBridge::groupCommand(MqttTopics::Command command, const QString &name, const QString &text,
                                 const QByteArray &payload)
{
    const auto group = ContentJson::group(name);
    if (!group.ok())
        return group.error;
    if (command == MqttTopics::Command::GroupMessage) {
        const auto item = messageItem(text, payload, {});
        return item.ok() ? m_control.setGroupPlaylist(group.value, { item.value }).error : item.error;
    }
    const auto document = json(payload);
    if (!document.ok())
        return document.error;
    if (command == MqttTopics::Command::GroupPlaylist) {
        const auto items = ContentJson::playlist(document.value);
        return items.ok() ? m_control.setGroupPlaylist(group.value, items.value).error : items.error;
    }
    auto alert = ContentJson::alert(document.value, m_control.clock().now());
    return alert.ok() ? m_control.raiseGroupAlert(group.value, alert.value).error : alert.error;
}

Outcome MqttBridge::change(MqttTopics::Command command, BoardNumber board, const QString &text)
{
    if (command == MqttTopics::Command::Mode) {
        const auto mode = ContentJson::mode(scalar(text));
        return mode.ok() ? m_control.setMode(board, mode.value).error : mode.error;
    }
    const auto brightness = ContentJson::brightness(scalar(text));
    return brightness.ok() ? m_control.setBrightness(board, brightness.value).error : brightness.error;
}

// A payload that is empty adds 1.
Outcome MqttBridge::counter(MqttTopics::Command command, const QString &name, const QString &text)
{
    const auto checked = ContentJson::counterName(name);
    if (!checked.ok())
        return checked.error;
    const bool add = command == MqttTopics::Command::CounterAdd;
    const auto number = add && text.trimmed().isEmpty()
            ? Result<qint64> { 1, {} }
            : ContentJson::counterValue(scalar(text), add ? QStringLiteral("by") : QStringLiteral("value"));
    if (!number.ok())
        return number.error;
    return (add ? m_control.addCounter(checked.value, number.value) : m_control.setCounter(checked.value, number.value))
            .error;
}

// Plain text keeps the current item's mode and brightness (left and 99 on a
// board without a playlist).
Outcome MqttBridge::message(BoardNumber board, const QString &text, const QByteArray &payload)
{
    const auto item = messageItem(text, payload, currentItem(board.value()).value_or(PlaylistItem {}));
    return item.ok() ? m_control.setMessage(board, item.value).error : item.error;
}

void MqttBridge::stop()
{
    m_client.stop(MqttTopics::status(m_settings.prefix), "offline");
}

void MqttBridge::refuse(const QString &topic, const Outcome &outcome)
{
    const QString why = MessageText::of(outcome);
    emit logLine(QStringLiteral("%1: %2").arg(topic, why));
    emit refused();
    m_client.publish(MqttTopics::error(m_settings.prefix),
                     QJsonDocument(QJsonObject { { QStringLiteral("topic"), topic }, { QStringLiteral("error"), why } })
                             .toJson(QJsonDocument::Compact),
                     false);
}
