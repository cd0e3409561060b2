#ifndef MESSAGETEXT_H
#define MESSAGETEXT_H

#include "common/Outcome.h"

#include <QString>

// Every text the programs show for an outcome: the kinds they share worded
// here, an area's own kinds by that area (OutcomeArea::words), each in one
// switch that a kind left out fails to build.
// Lines are separated by a lone carriage return.
namespace MessageText {

QString of(const Outcome &outcome);

// The label that names the line in use: "Using COM7", "Using UDP 5000",
// "Using TCP HOST:PORT", "Using NONE".
QString inUse(CommMode mode, int port, const QString &host = {});

// Transport failures are critical; the others are plain notices.
bool isCritical(Outcome::Kind kind);

} // namespace MessageText

#endif
