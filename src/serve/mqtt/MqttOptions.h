#ifndef MQTTOPTIONS_H
#define MQTTOPTIONS_H

#include "common/Outcome.h"
#include "serve/mqtt/MqttClient.h"
#include "serve/mqtt/MqttTls.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>

class QCommandLineParser;

// The bus's part of the command line.
struct MqttOptions
{
    bool enabled = false;
    QString host;
    int port = 1883;
    bool tls = false; // mqtts://
    MqttTls::Files tlsFiles;
    QString credentialsFile;
    QString user; // from the credentials file
    QString password;
    QString prefix = QStringLiteral("varo");
    QString site; // none when empty
    QString clientId;
    QString haPrefix = QStringLiteral("homeassistant");
    bool discovery = true;
    QList<int> boards; // announced to Home Assistant even while empty

    static QList<QCommandLineOption> commandLineOptions();

    // Reads what the parser found; transport names the default client id.
    // Empty, or the usage mistake in words.
    static QString read(const QCommandLineParser &parser, const QString &transport, MqttOptions &options);

    // User and password from credentialsFile, a private file (none: Done).
    Outcome readCredentials();

    // The link, with the retained last will "offline" on P/status.
    MqttClient::Settings clientSettings() const;
};

#endif
