#include "serve/mqtt/MqttOptions.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QUrl>

#include <sys/stat.h>

namespace {

const QString mqttName = QStringLiteral("mqtt");
const QString credentialsName = QStringLiteral("mqtt-credentials");
const QString prefixName = QStringLiteral("mqtt-prefix");
const QString clientIdName = QStringLiteral("mqtt-client-id");
const QString haPrefixName = QStringLiteral("ha-prefix");
const QString noHaName = QStringLiteral("no-ha");
const QString boardsName = QStringLiteral("boards");

// A prefix is where topics are published: no wildcards, no empty level at
// either end.
bool isTopicPrefix(const QString &prefix)
{
    return !prefix.isEmpty() && !prefix.startsWith(u'/') && !prefix.endsWith(u'/') && !prefix.contains(u'+')
            && !prefix.contains(u'#') && !prefix.contains(QChar(0)) && prefix.toUtf8().size() < 1024;
}

MqttOptions::Problem usage(const QString &text)
{
    return { text, 2 };
}

MqttOptions::Problem readCredentials(const QString &path, MqttOptions &options)
{
    const QString name = QStringLiteral("--mqtt-credentials %1: ").arg(path);
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return { name + QString::fromLocal8Bit(strerror(errno)), 1 };
    if (!S_ISREG(info.st_mode))
        return { name + QStringLiteral("not a regular file"), 1 };
    if (info.st_mode & S_IROTH)
        return { name + QStringLiteral("other users can read it; chmod o-r it"), 1 };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return { name + file.errorString(), 1 };
    const QList<QByteArray> lines = file.read(64 * 1024).split('\n');
    const auto line = [&](int i) { return i < lines.size() ? QString::fromUtf8(lines[i]).remove(u'\r') : QString(); };
    options.user = line(0);
    options.password = line(1);
    if (options.user.isEmpty())
        return { name + QStringLiteral("the first line must hold the user name"), 1 };
    return {};
}

} // namespace

QList<QCommandLineOption> MqttOptions::commandLineOptions()
{
    return {
        { mqttName, QStringLiteral("Connect to the MQTT broker at URL (mqtt://HOST[:PORT], port 1883 by default)."),
          QStringLiteral("URL") },
        { credentialsName, QStringLiteral("Broker user on the first line of FILE, password on the second."),
          QStringLiteral("FILE") },
        { prefixName, QStringLiteral("Topic prefix (default varo)."), QStringLiteral("P") },
        { clientIdName, QStringLiteral("MQTT client id (default varoserve-HOSTNAME-TRANSPORT)."),
          QStringLiteral("ID") },
        { haPrefixName, QStringLiteral("Home Assistant discovery prefix (default homeassistant)."),
          QStringLiteral("H") },
        { noHaName, QStringLiteral("Publish no Home Assistant discovery.") },
        { boardsName, QStringLiteral("Boards announced to Home Assistant even while empty, e.g. 1,2,5."),
          QStringLiteral("LIST") },
    };
}

MqttOptions::Problem MqttOptions::read(const QCommandLineParser &parser, const QString &transport, MqttOptions &options)
{
    options.enabled = parser.isSet(mqttName);
    if (!options.enabled) {
        for (const QString &name : { credentialsName, prefixName, clientIdName, haPrefixName, noHaName, boardsName })
            if (parser.isSet(name))
                return usage(QStringLiteral("--%1 needs --mqtt").arg(name));
        return {};
    }

    const QUrl url(parser.value(mqttName), QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != mqttName || url.host().isEmpty() || !url.userInfo().isEmpty()
        || !(url.path().isEmpty() || url.path() == u"/") || url.hasQuery() || url.hasFragment() || (url.port() == 0))
        return usage(QStringLiteral("--mqtt: %1 is not mqtt://HOST[:PORT]").arg(parser.value(mqttName)));
    options.host = url.host();
    options.port = url.port(1883);

    if (parser.isSet(prefixName))
        options.prefix = parser.value(prefixName);
    if (!isTopicPrefix(options.prefix))
        return usage(QStringLiteral("--mqtt-prefix: %1 is not a topic prefix (no + or #, no / at either end)")
                             .arg(options.prefix));
    if (parser.isSet(haPrefixName))
        options.haPrefix = parser.value(haPrefixName);
    if (!isTopicPrefix(options.haPrefix))
        return usage(QStringLiteral("--ha-prefix: %1 is not a topic prefix (no + or #, no / at either end)")
                             .arg(options.haPrefix));
    options.discovery = !parser.isSet(noHaName);

    QString id = QStringLiteral("varoserve-%1-%2").arg(QSysInfo::machineHostName(), transport.trimmed().toUpper());
    if (parser.isSet(clientIdName))
        id = parser.value(clientIdName);
    if (id.isEmpty() || id.toUtf8().size() > 65535)
        return usage(QStringLiteral("--mqtt-client-id: an id of 1 to 65535 bytes"));
    options.clientId = id;

    if (parser.isSet(boardsName)) {
        for (const QString &word : parser.value(boardsName).split(u',')) {
            bool ok = false;
            const int board = word.trimmed().toInt(&ok);
            if (!ok || board < 0 || board > 99 || word.trimmed().size() > 2)
                return usage(QStringLiteral("--boards: %1 is not a board number 0 to 99").arg(word));
            if (!options.boards.contains(board))
                options.boards.append(board);
        }
    }
    if (parser.isSet(credentialsName))
        return readCredentials(parser.value(credentialsName), options);
    return {};
}
