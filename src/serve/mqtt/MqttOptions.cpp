#include "serve/mqtt/MqttOptions.h"

#include "serve/mqtt/MqttTopics.h"

#include "common/PrivateFile.h"

#include <QCommandLineParser>
#include <QSysInfo>
#include <QUrl>

namespace {

const QString mqttName = QStringLiteral("mqtt");
const QString credentialsName = QStringLiteral("mqtt-credentials");
const QString prefixName = QStringLiteral("mqtt-prefix");
const QString siteName = QStringLiteral("mqtt-site");
const QString clientIdName = QStringLiteral("mqtt-client-id");
const QString haPrefixName = QStringLiteral("ha-prefix");
const QString noHaName = QStringLiteral("no-ha");
const QString boardsName = QStringLiteral("boards");
const QString caName = QStringLiteral("mqtt-ca");
const QString certName = QStringLiteral("mqtt-cert");
const QString keyName = QStringLiteral("mqtt-key");
const QString secureScheme = QStringLiteral("mqtts");

// A prefix is where topics are published: no wildcards, no empty level at
// either end.
bool isTopicPrefix(const QString &prefix)
{
    return !prefix.isEmpty() && !prefix.startsWith(u'/') && !prefix.endsWith(u'/') && !prefix.contains(u'+')
            && !prefix.contains(u'#') && !prefix.contains(QChar(0)) && prefix.toUtf8().size() < 1024;
}

} // namespace

QList<QCommandLineOption> MqttOptions::commandLineOptions()
{
    return {
        { mqttName,
          QStringLiteral("Connect to the MQTT broker at URL (mqtt://HOST[:PORT], port 1883 by default; "
                         "mqtts://HOST[:PORT] over TLS, port 8883 by default)."),
          QStringLiteral("URL") },
        { caName,
          QStringLiteral("Over TLS, trust the broker's certificate if FILE's authority (PEM) signed it, "
                         "instead of the system's trusted ones."),
          QStringLiteral("FILE") },
        { certName, QStringLiteral("Over TLS, show the broker the client certificate in FILE (PEM)."),
          QStringLiteral("FILE") },
        { keyName, QStringLiteral("The client certificate's key (PEM), a file only its owner may read."),
          QStringLiteral("FILE") },
        { credentialsName, QStringLiteral("Broker user on the first line of FILE, password on the second."),
          QStringLiteral("FILE") },
        { prefixName, QStringLiteral("Topic prefix (default varo)."), QStringLiteral("P") },
        { siteName,
          QStringLiteral("Also take the group commands under S (S/group/G/...), shared by the services of a site."),
          QStringLiteral("S") },
        { clientIdName, QStringLiteral("MQTT client id (default varoserve-HOSTNAME-TRANSPORT)."),
          QStringLiteral("ID") },
        { haPrefixName, QStringLiteral("Home Assistant discovery prefix (default homeassistant)."),
          QStringLiteral("H") },
        { noHaName, QStringLiteral("Publish no Home Assistant discovery.") },
        { boardsName, QStringLiteral("Boards announced to Home Assistant even while empty, e.g. 1,2,5."),
          QStringLiteral("LIST") },
    };
}

QString MqttOptions::read(const QCommandLineParser &parser, const QString &transport, MqttOptions &options)
{
    options.enabled = parser.isSet(mqttName);
    if (!options.enabled) {
        for (const QString &name : { credentialsName, prefixName, siteName, clientIdName, haPrefixName, noHaName,
                                     boardsName, caName, certName, keyName })
            if (parser.isSet(name))
                return QStringLiteral("--%1 needs --mqtt.").arg(name);
        return {};
    }

    const QUrl url(parser.value(mqttName), QUrl::StrictMode);
    options.tls = url.scheme() == secureScheme;
    if (!url.isValid() || (url.scheme() != mqttName && !options.tls) || url.host().isEmpty()
        || !url.userInfo().isEmpty() || !(url.path().isEmpty() || url.path() == u"/") || url.hasQuery()
        || url.hasFragment() || (url.port() == 0))
        return QStringLiteral("Invalid --mqtt \"%1\": give mqtt://HOST[:PORT] or mqtts://HOST[:PORT], such as "
                              "mqtt://127.0.0.1:1883.")
                .arg(parser.value(mqttName));
    options.host = url.host();
    options.port = url.port(options.tls ? 8883 : 1883);
    for (const QString &name : { caName, certName, keyName })
        if (parser.isSet(name) && !options.tls)
            return QStringLiteral("--%1 needs --mqtt mqtts://HOST[:PORT].").arg(name);
    options.tlsFiles = { parser.value(caName), parser.value(certName), parser.value(keyName) };
    if (parser.isSet(certName) != parser.isSet(keyName))
        return QStringLiteral("--mqtt-cert and --mqtt-key go together.");

    if (parser.isSet(prefixName))
        options.prefix = parser.value(prefixName);
    if (!isTopicPrefix(options.prefix))
        return QStringLiteral("Invalid --mqtt-prefix \"%1\": give topic levels without + or # or a / at either end.")
                .arg(options.prefix);
    if (parser.isSet(siteName)) {
        options.site = parser.value(siteName);
        if (!isTopicPrefix(options.site))
            return QStringLiteral("Invalid --mqtt-site \"%1\": give topic levels without + or # or a / at either end.")
                    .arg(options.site);
    }
    if (parser.isSet(haPrefixName))
        options.haPrefix = parser.value(haPrefixName);
    if (!isTopicPrefix(options.haPrefix))
        return QStringLiteral("Invalid --ha-prefix \"%1\": give topic levels without + or # or a / at either end.")
                .arg(options.haPrefix);
    options.discovery = !parser.isSet(noHaName);

    QString id = QStringLiteral("varoserve-%1-%2").arg(QSysInfo::machineHostName(), transport.trimmed().toUpper());
    if (parser.isSet(clientIdName))
        id = parser.value(clientIdName);
    if (id.isEmpty() || id.toUtf8().size() > 65535)
        return QStringLiteral("Invalid --mqtt-client-id: give 1 to 65535 bytes.");
    options.clientId = id;

    if (parser.isSet(boardsName)) {
        for (const QString &word : parser.value(boardsName).split(u',')) {
            bool ok = false;
            const int board = word.trimmed().toInt(&ok);
            if (!ok || board < 0 || board > 99 || word.trimmed().size() > 2)
                return QStringLiteral("Invalid --boards \"%1\": give board numbers 0 to 99 separated by commas.")
                        .arg(parser.value(boardsName));
            if (!options.boards.contains(board))
                options.boards.append(board);
        }
    }
    options.credentialsFile = parser.value(credentialsName);
    return {};
}

Outcome MqttOptions::readCredentials()
{
    if (credentialsFile.isEmpty())
        return {};
    QByteArray contents;
    if (const Outcome outcome = PrivateFile::read(credentialsFile, contents); !outcome.ok())
        return outcome;
    const QList<QByteArray> lines = contents.split('\n');
    user = QString::fromUtf8(lines.value(0)).remove(u'\r');
    password = QString::fromUtf8(lines.value(1)).remove(u'\r');
    return {};
}

MqttClient::Settings MqttOptions::clientSettings() const
{
    return { host, port, clientId, user, password, MqttTopics::status(prefix), "offline", nullptr };
}
