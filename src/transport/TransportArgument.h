#ifndef TRANSPORTARGUMENT_H
#define TRANSPORTARGUMENT_H

#include "common/CommMode.h"

#include <QString>

// The one command-line argument: "COM#" or "UDP#", # from 1 to 65535,
// letter case and surrounding spaces ignored; none means "COM1". A mode of
// None means the argument is not recognized.
struct TransportArgument
{
    CommMode mode = CommMode::None;
    int port = 0;

    static TransportArgument parse(const QString &commandLine);
};

#endif
