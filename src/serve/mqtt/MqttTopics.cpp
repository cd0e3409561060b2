#include "serve/mqtt/MqttTopics.h"

namespace MqttTopics {

namespace {

const QString counterLevel = QStringLiteral("counter");
const QString groupLevel = QStringLiteral("group");

// N is any level but the counters' and the groups'; NAME and G any level.
bool matches(const QString &pattern, const QStringList &levels)
{
    const QStringList parts = pattern.split(u'/');
    if (parts.size() != levels.size())
        return false;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const bool any = parts.at(i) == u"NAME" || parts.at(i) == u"G"
                || (parts.at(i) == u"N" && levels.at(i) != counterLevel && levels.at(i) != groupLevel);
        if (!any && parts.at(i) != levels.at(i))
            return false;
    }
    return true;
}

} // namespace

const QList<CommandTopic> &commands()
{
    static const QList<CommandTopic> table {
        { Command::Message, QStringLiteral("N/message/set"), QStringLiteral("+/+/set"), QStringLiteral("text") },
        { Command::Mode, QStringLiteral("N/mode/set"), QStringLiteral("+/+/set"), QStringLiteral("select") },
        { Command::Brightness, QStringLiteral("N/brightness/set"), QStringLiteral("+/+/set"),
          QStringLiteral("number") },
        { Command::AlertSet, QStringLiteral("N/alert/set"), QStringLiteral("+/+/set"), {} },
        { Command::AlertClear, QStringLiteral("N/alert/clear"), QStringLiteral("+/alert/clear"), {} },
        { Command::CounterSet, QStringLiteral("counter/NAME/set"), QStringLiteral("+/+/set"), {} },
        { Command::CounterAdd, QStringLiteral("counter/NAME/add"), QStringLiteral("counter/+/add"), {} },
        { Command::GroupMessage, QStringLiteral("group/G/message/set"), QStringLiteral("group/+/+/set"), {} },
        { Command::GroupPlaylist, QStringLiteral("group/G/playlist/set"), QStringLiteral("group/+/+/set"), {} },
        { Command::GroupAlertSet, QStringLiteral("group/G/alert/set"), QStringLiteral("group/+/+/set"), {} },
        { Command::GroupAlertClear, QStringLiteral("group/G/alert/clear"), QStringLiteral("group/+/alert/clear"), {} },
    };
    return table;
}

QStringList filters(const QString &prefix)
{
    QStringList all;
    for (const CommandTopic &topic : commands()) {
        const QString filter = prefix + u'/' + topic.filter;
        if (!all.contains(filter))
            all.append(filter);
    }
    return all;
}

bool isGroupCommand(Command command)
{
    return command >= Command::GroupMessage;
}

QStringList groupFilters(const QString &prefix)
{
    QStringList all;
    for (const CommandTopic &topic : commands()) {
        const QString filter = prefix + u'/' + topic.filter;
        if (isGroupCommand(topic.command) && !all.contains(filter))
            all.append(filter);
    }
    return all;
}

std::optional<Command> command(const QStringList &levels)
{
    for (const CommandTopic &topic : commands()) {
        if (matches(topic.pattern, levels))
            return topic.command;
    }
    return std::nullopt;
}

QString described()
{
    QStringList patterns;
    for (const CommandTopic &topic : commands())
        patterns.append(topic.pattern);
    const QString last = patterns.takeLast();
    return patterns.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

QString commandTopic(const QString &prefix, int board, Command command)
{
    for (const CommandTopic &topic : commands()) {
        if (topic.command == command && topic.pattern.startsWith(u"N/"))
            return QStringLiteral("%1/%2%3").arg(prefix).arg(board).arg(topic.pattern.mid(1));
    }
    return {};
}

QString status(const QString &prefix)
{
    return prefix + QStringLiteral("/status");
}

QString error(const QString &prefix)
{
    return prefix + QStringLiteral("/error");
}

QString state(const QString &prefix, int board)
{
    return QStringLiteral("%1/%2/state").arg(prefix).arg(board);
}

QString states(const QString &prefix)
{
    return prefix + QStringLiteral("/+/state");
}

} // namespace MqttTopics
