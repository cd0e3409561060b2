#ifndef MQTTOPTIONS_H
#define MQTTOPTIONS_H

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
    QString user;
    QString password;
    QString prefix = QStringLiteral("varo");
    QString clientId;
    QString haPrefix = QStringLiteral("homeassistant");
    bool discovery = true;
    QList<int> boards; // announced to Home Assistant even while empty

    static QList<QCommandLineOption> commandLineOptions();

    // Reads what the parser found; transport names the default client id.
    // An empty answer means the options are good; otherwise the text says
    // which is wrong and why, and exitCode is 2 for a usage mistake or 1 for
    // a file that cannot be used.
    struct Problem
    {
        QString text;
        int exitCode = 0;
    };
    static Problem read(const QCommandLineParser &parser, const QString &transport, MqttOptions &options);
};

#endif
