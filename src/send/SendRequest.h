#ifndef SENDREQUEST_H
#define SENDREQUEST_H

#include "rules/Sending.h"

#include <QString>

// What one run of VaroSend is asked to do, as its command line says it.
struct SendRequest
{
    QString transport; // "COM#" or "UDP#", as typed
    Sending::Fields fields; // message empty when the lines come from standard input
    bool readsInput = false; // each line of standard input is one frame
    bool dryRun = false;
    bool hex = false;
    bool verbose = false;
    int intervalMs = 0; // pause between two frames of standard input
};

#endif
