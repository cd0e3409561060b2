#ifndef TRANSPORTARGUMENT_H
#define TRANSPORTARGUMENT_H

#include "common/CommMode.h"
#include "common/Outcome.h"

#include <QString>

// The one command-line argument: "COM#" or "UDP#", # from 1 to 65535,
// letter case and surrounding spaces ignored, none meaning "COM1"; or
// "TCP:HOST:PORT", a serial device server that passes a raw TCP port
// through to the line ("[::1]" for an IPv6 address). A mode of None means
// the argument is refused, and refusal says why.
struct TransportArgument
{
    CommMode mode = CommMode::None;
    int port = 0;
    QString host; // TCP
    Outcome::Kind refusal = Outcome::Done;

    static TransportArgument parse(const QString &commandLine);
    // A TCP argument that is malformed, as opposed to one not understood at
    // all: the programs treat it as bad usage.
    bool isMalformed() const
    {
        return refusal == Outcome::TcpPortMissing || refusal == Outcome::TcpHostMissing
                || refusal == Outcome::TcpPortInvalid;
    }
    // "HOST:PORT", an IPv6 address in brackets.
    static QString address(const QString &host, int port);
};

#endif
