#include "serve/mqtt/HaDiscovery.h"

#include "common/AppInfo.h"
#include "protocol/PresentMode.h"
#include "serve/mqtt/MqttTopics.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString components[]
        = { QStringLiteral("text"), QStringLiteral("select"), QStringLiteral("number"), QStringLiteral("sensor") };

} // namespace

HaDiscovery::HaDiscovery(const QString &haPrefix, const QString &prefix)
    : m_haPrefix(haPrefix)
    , m_prefix(prefix)
{ }

// Discovery ids allow only letters, digits, '_' and '-'. Every other byte of
// the prefix becomes '_' and its hex code, so that two prefixes never give
// the same id ("line/1" is line_2f1, "line_1" is line_5f1).
QString HaDiscovery::objectId(int board) const
{
    QString id;
    for (const char c : m_prefix.toUtf8()) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-')
            id += QLatin1Char(c);
        else
            id += QStringLiteral("_%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
    }
    return QStringLiteral("%1_board%2").arg(id).arg(board);
}

QString HaDiscovery::configTopic(const QString &component, int board) const
{
    return QStringLiteral("%1/%2/%3/config").arg(m_haPrefix, component, objectId(board));
}

QList<HaDiscovery::Message> HaDiscovery::announce(int board, const QString &name) const
{
    const QString id = objectId(board);
    const QJsonObject device { { QStringLiteral("identifiers"), QJsonArray { id } },
                               { QStringLiteral("name"),
                                 name.isEmpty() ? QStringLiteral("%1 board %2").arg(m_prefix).arg(board)
                                                : QStringLiteral("%1 (%2)").arg(name).arg(board) },
                               { QStringLiteral("manufacturer"), AppInfo::maker },
                               { QStringLiteral("model"), AppInfo::productName } };
    const auto entity = [&](const QString &name, const QString &key) {
        return QJsonObject { { QStringLiteral("name"), name },
                             { QStringLiteral("unique_id"), id + u'_' + key },
                             { QStringLiteral("availability_topic"), MqttTopics::status(m_prefix) },
                             { QStringLiteral("state_topic"), MqttTopics::state(m_prefix, board) },
                             { QStringLiteral("qos"), 1 },
                             { QStringLiteral("device"), device } };
    };
    // The text, select and number show what was set (the state's "item",
    // null on a board without a playlist), so that an alert does not move
    // them and editing the text keeps its fields; the sensor shows what the
    // board shows. A text longer than Home Assistant takes is cut for it, the
    // board keeps it whole. A state emptied or not JSON reads as nothing:
    // "None" is Home Assistant's word for an unknown option or number.
    const auto read = [](const QString &value, const char *guard, const char *nothing) {
        return QStringLiteral("{{ %1 if value_json is defined and %2 else '%3' }}")
                .arg(value, QLatin1String(guard), QLatin1String(nothing));
    };
    const char *item = "value_json.item is mapping";
    const QString cut = QStringLiteral("[:%1]").arg(textMax);

    QJsonObject text = entity(QStringLiteral("Message"), QStringLiteral("message"));
    text.insert(QStringLiteral("command_topic"),
                MqttTopics::commandTopic(m_prefix, board, MqttTopics::Command::Message));
    text.insert(QStringLiteral("value_template"), read(QStringLiteral("value_json.item.text") + cut, item, ""));
    text.insert(QStringLiteral("min"), 0);
    text.insert(QStringLiteral("max"), textMax);
    text.insert(QStringLiteral("mode"), QStringLiteral("text"));

    QJsonObject select = entity(QStringLiteral("Mode"), QStringLiteral("mode"));
    select.insert(QStringLiteral("command_topic"),
                  MqttTopics::commandTopic(m_prefix, board, MqttTopics::Command::Mode));
    select.insert(QStringLiteral("options"), QJsonArray::fromStringList(PresentMode::keywords));
    select.insert(QStringLiteral("value_template"), read(QStringLiteral("value_json.item.mode"), item, "None"));

    QJsonObject number = entity(QStringLiteral("Brightness"), QStringLiteral("brightness"));
    number.insert(QStringLiteral("command_topic"),
                  MqttTopics::commandTopic(m_prefix, board, MqttTopics::Command::Brightness));
    number.insert(QStringLiteral("value_template"), read(QStringLiteral("value_json.item.brightness"), item, "None"));
    number.insert(QStringLiteral("min"), 0);
    number.insert(QStringLiteral("max"), 99);
    number.insert(QStringLiteral("step"), 1);
    number.insert(QStringLiteral("mode"), QStringLiteral("slider"));

    QJsonObject sensor = entity(QStringLiteral("Showing"), QStringLiteral("showing"));
    sensor.insert(QStringLiteral("value_template"),
                  read(QStringLiteral("value_json.text") + cut, "value_json.text is string", ""));
    sensor.insert(QStringLiteral("json_attributes_topic"), MqttTopics::state(m_prefix, board));
    sensor.insert(QStringLiteral("json_attributes_template"),
                  read(QStringLiteral("value_json | tojson"), "value_json is mapping", "{}"));

    const QJsonObject configs[] = { text, select, number, sensor };
    QList<Message> messages;
    for (int i = 0; i < 4; ++i)
        messages.append(
                { configTopic(components[i], board), QJsonDocument(configs[i]).toJson(QJsonDocument::Compact) });
    return messages;
}

QList<HaDiscovery::Message> HaDiscovery::withdraw(int board) const
{
    QList<Message> messages;
    for (const QString &component : components)
        messages.append({ configTopic(component, board), {} });
    return messages;
}
