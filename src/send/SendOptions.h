#ifndef SENDOPTIONS_H
#define SENDOPTIONS_H

#include "send/SendRequest.h"

#include <QString>
#include <QStringList>

// VaroSend's command line. Widget-free, so that tests can call it.
class SendOptions
{
public:
    enum Action { Run, ShowHelp, ShowVersion, UsageError };

    struct Parsed
    {
        Action action = UsageError;
        SendRequest request; // for Run
        QString text; // the help, the version or the usage error
    };

    // arguments[0] is the program's name, as QCoreApplication::arguments() has it.
    static Parsed parse(const QStringList &arguments);

    static constexpr int longestIntervalSeconds = 24 * 60 * 60;
};

#endif
