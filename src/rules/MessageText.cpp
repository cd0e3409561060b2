#include "rules/MessageText.h"

#include <QDir>

namespace MessageText {

namespace {

QString target(const Outcome &outcome)
{
    return outcome.mode == CommMode::Serial ? QStringLiteral("COM%1").arg(outcome.port)
                                            : QStringLiteral("UDP port %1").arg(outcome.port);
}

QString listFile(const char *what, const Outcome &outcome)
{
    return QLatin1String(what) + QStringLiteral("\r\"") + QDir::toNativeSeparators(outcome.subject)
            + QStringLiteral("\"\r") + outcome.description;
}

QString invalidNumber(const char *headline)
{
    return QLatin1String(headline) + QStringLiteral("\rPlease enter a decimal number between 0 and 99");
}

} // namespace

QString of(const Outcome &outcome)
{
    switch (outcome.kind) {
    case Outcome::Done:
        return {};
    case Outcome::ArgumentNotRecognized:
        return QStringLiteral("The command line argument \"") + outcome.subject
                + QStringLiteral("\"is not recognized\r"
                                 "Please specify argument as \"COM#\" or \"UDP#\" alone, where # is replaced by\r"
                                 "the serial COM port number or network UDP port number to use.");
    case Outcome::PortNotAvailable:
    case Outcome::PortCannotOpen:
        return QStringLiteral("Comm Port \"COM%1").arg(outcome.port)
                + (outcome.kind == Outcome::PortNotAvailable ? QStringLiteral("\" is not available on this system")
                                                             : QStringLiteral("\" cannot be opened"))
                + u'\r' + outcome.description;
    case Outcome::SendFailed:
        return QStringLiteral("Unable to send to ") + target(outcome) + u'\r' + outcome.description
                + (outcome.unsent > 0 ? QStringLiteral("\r%1 bytes sent before were not delivered").arg(outcome.unsent)
                                      : QString());
    case Outcome::ListCreateFailed:
        return listFile("Unable to create message list file", outcome);
    case Outcome::ListWriteFailed:
        return listFile("Unable to write to message list file", outcome);
    case Outcome::BoardNumberInvalid:
        return invalidNumber("INVALID BOARD NUMBER");
    case Outcome::BrightnessInvalid:
        return invalidNumber("INVALID BRIGHTNESS");
    }
    return {};
}

QString inUse(CommMode mode, int port)
{
    if (mode == CommMode::None)
        return QStringLiteral("Using NONE");
    return (mode == CommMode::Serial ? QStringLiteral("Using COM%1") : QStringLiteral("Using UDP %1")).arg(port);
}

bool isCritical(Outcome::Kind kind)
{
    return kind == Outcome::ArgumentNotRecognized || kind == Outcome::PortNotAvailable
            || kind == Outcome::PortCannotOpen || kind == Outcome::SendFailed;
}

} // namespace MessageText
