#ifndef MQTTTOPICS_H
#define MQTTTOPICS_H

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The service's topics under its prefix, each named once: the commands it
// takes, with the filter that brings each and the Home Assistant entity it
// backs, and the topics it publishes. A new command is one row here and its
// handler in the bridge.
namespace MqttTopics {

enum class Command {
    Message,
    Mode,
    Brightness,
    AlertSet,
    AlertClear,
    CounterSet,
    CounterAdd,
    GroupMessage,
    GroupPlaylist,
    GroupAlertSet,
    GroupAlertClear,
};

struct CommandTopic
{
    Command command;
    QString pattern; // under the prefix; N a board, NAME a counter, G a group, other levels as they stand
    QString filter; // the subscription that brings it, under the prefix
    QString entity; // the Home Assistant component it backs, or none
};

const QList<CommandTopic> &commands();
// The subscriptions for every command. They are disjoint, so the broker
// never hands one message over twice for matching two of them.
QStringList filters(const QString &prefix);
// The subscriptions for the group commands alone (under a site's prefix).
QStringList groupFilters(const QString &prefix);
bool isGroupCommand(Command command);
// The command that the levels under the prefix name.
std::optional<Command> command(const QStringList &levels);
// Every command topic, as a reader is told of them.
QString described();
QString commandTopic(const QString &prefix, int board, Command command);

QString status(const QString &prefix);
QString error(const QString &prefix);
QString state(const QString &prefix, int board);
QString states(const QString &prefix); // the filter for every board's state

} // namespace MqttTopics

#endif
