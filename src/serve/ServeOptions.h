#ifndef SERVEOPTIONS_H
#define SERVEOPTIONS_H

#include "serve/mqtt/MqttOptions.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

// VaroServe's command line. Widget-free and display-free, so tests call it.
class ServeOptions
{
public:
    enum Action { Run, ShowHelp, ShowVersion, UsageError, Export, Import };

    struct Parsed
    {
        Action action = UsageError;
        QString text; // the help, the version or the usage error
        QString transport; // as typed
        QHostAddress listenAddress;
        quint16 listenPort = 0;
        QString tokenFile; // empty: no token
        QString dataFile;
        QString archiveFile; // Export, Import: the content's file
        QString tlsCertificate; // empty: plain HTTP
        QString tlsKey;
        bool verbose = false;
        MqttOptions mqtt;
    };

    static constexpr quint16 defaultPort = 8470;

    // arguments[0] is the program's name, as QCoreApplication::arguments() has it.
    static Parsed parse(const QStringList &arguments);
    // $XDG_DATA_HOME/VaroServe/varoserve.sqlite
    static QString defaultDataFile();
};

#endif
