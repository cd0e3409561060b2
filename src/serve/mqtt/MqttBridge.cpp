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
    connect(&engine, &BoardEngine::showingChanged, this, &MqttBridge::showingChanged);
    connect(&engine, &BoardEngine::contentChanged, this, [this](int board) { publishBoard(board, false); });
    connect(&engine, &BoardEngine::topicsChanged, this, &MqttBridge::listenToTopics);
    // A new name is a new device name: announced again.
    connect(&control, &BoardControl::declarationChanged, this, [this](int board) { publishBoard(board, true); });
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
    m_client.publish(MqttTopics::status(m_settings.prefix), "online", true);
    // Every board, also those with nothing: a retained state or config that
    // an earlier run left for a board since emptied is cleared here.
    for (int board = 0; board < BoardEngine::boardCount; ++board)
        publishBoard(board, true);
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

void MqttBridge::publishBoard(int board, bool always)
{
    const bool present = known(board);
    if (present) {
        showingChanged(board);
        if (m_settings.discovery && (always || !m_announced.contains(board)))
            for (const HaDiscovery::Message &message :
                 m_discovery.announce(board, m_control.site().declaration(board).name))
                m_client.publish(message.topic, message.payload, true);
        m_announced.insert(board);
    } else if (always || m_announced.contains(board)) {
        m_client.publish(stateTopic(board), {}, true);
        if (m_settings.discovery)
            for (const HaDiscovery::Message &message : m_discovery.withdraw(board))
                m_client.publish(message.topic, message.payload, true);
        m_announced.remove(board);
    }
}

void MqttBridge::showingChanged(int board)
{
    if (known(board))
        m_client.publish(stateTopic(board),
                         QJsonDocument(ContentJson::toJson(m_engine.showing(board))).toJson(QJsonDocument::Compact),
                         true);
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
    const auto document = json(payload);
    if (command == MqttTopics::Command::GroupMessage) {
        Result<PlaylistItem> item;
        if (document.ok() && document.value.isObject()) {
            item = ContentJson::message(document.value);
        } else {
            const auto checked = ContentJson::text(text, QStringLiteral("text"));
            item = { { checked.value, 0, 99 }, checked.error };
        }
        return item.ok() ? m_control.setGroupPlaylist(group.value, { item.value }).error : item.error;
    }
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

// A JSON object is the API's message; anything else is the text itself,
// shown with the current item's mode and brightness (the first item's while
// an alert shows) or, on a board without a playlist, left and 99.
Outcome MqttBridge::message(BoardNumber board, const QString &text, const QByteArray &payload)
{
    const auto object = json(payload);
    Result<PlaylistItem> item;
    if (object.ok() && object.value.isObject()) {
        item = ContentJson::message(object.value);
    } else {
        const Showing now = m_engine.showing(board.value());
        const QList<PlaylistItem> items = m_engine.playlist(board.value());
        const PlaylistItem current = items.value(now.source == Showing::Playlist ? now.itemIndex : 0);
        const auto checked = ContentJson::text(text, QStringLiteral("text"));
        item = { { checked.value, current.mode, current.brightness }, checked.error };
    }
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
    m_client.publish(MqttTopics::error(m_settings.prefix),
                     QJsonDocument(QJsonObject { { QStringLiteral("topic"), topic }, { QStringLiteral("error"), why } })
                             .toJson(QJsonDocument::Compact),
                     false);
}
