#ifndef TRANSPORTARGUMENT_H
#define TRANSPORTARGUMENT_H

#include <QString>

// The one command-line argument: "COM#" or "UDP#", # from 1 to 65535,
// letter case and surrounding spaces ignored; none means "COM1".
struct TransportArgument
{
    enum Kind { NotRecognized, Serial, Udp };

    Kind kind = NotRecognized;
    int port = 0;

    static TransportArgument parse(const QString &commandLine);
    static QString notRecognizedMessage(const QString &commandLine);
};

#endif
