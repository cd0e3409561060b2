#include "rules/MessageText.h"

#include "transport/TransportArgument.h"

#include <QDir>

namespace MessageText {

namespace {

QString target(const Outcome &outcome)
{
    if (outcome.mode == CommMode::Tcp)
        return QStringLiteral("TCP ") + outcome.subject;
    return outcome.mode == CommMode::Serial ? QStringLiteral("COM%1").arg(outcome.port)
                                            : QStringLiteral("UDP port %1").arg(outcome.port);
}

QString tcpArgument(const Outcome &outcome, const char *problem)
{
    return QStringLiteral("The command line argument \"") + outcome.subject + QStringLiteral("\" ")
            + QLatin1String(problem)
            + QStringLiteral("\rPlease specify it as \"TCP:HOST:PORT\", where PORT is "
                             "from 1 to 65535.");
}

QString listFile(const char *what, const Outcome &outcome)
{
    return QLatin1String(what) + QStringLiteral("\r\"") + QDir::toNativeSeparators(outcome.subject)
            + QStringLiteral("\"\r") + outcome.description;
}

QString field(const Outcome &outcome, const char *rule)
{
    return outcome.subject + QLatin1String(rule);
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
    case Outcome::TcpPortMissing:
        return tcpArgument(outcome, "names no port");
    case Outcome::TcpHostMissing:
        return tcpArgument(outcome, "names no host");
    case Outcome::TcpPortInvalid:
        return tcpArgument(outcome, "has a port outside 1 to 65535");
    case Outcome::TcpCannotConnect:
        return QStringLiteral("Unable to connect to TCP ") + outcome.subject + u'\r' + outcome.description;
    case Outcome::TcpRetrying:
        return QStringLiteral("TCP %1: %2; trying again in %3 s")
                .arg(outcome.subject, outcome.description)
                .arg(outcome.limit);
    case Outcome::TcpConnected:
        return QStringLiteral("TCP ") + outcome.subject + QStringLiteral(": connected");
    case Outcome::ListCreateFailed:
        return listFile("Unable to create message list file", outcome);
    case Outcome::ListWriteFailed:
        return listFile("Unable to write to message list file", outcome);
    case Outcome::BoardNumberInvalid:
        return invalidNumber("INVALID BOARD NUMBER");
    case Outcome::BrightnessInvalid:
        return invalidNumber("INVALID BRIGHTNESS");
    case Outcome::PrivateFileUnreadable:
        return QStringLiteral("Unable to read \"%1\": %2").arg(outcome.subject, outcome.description);
    case Outcome::PrivateFileOpenToOthers:
        return QStringLiteral("\"%1\" can be read or changed by other users: allow only its owner (chmod 600)")
                .arg(outcome.subject);
    case Outcome::RequestMalformed:
        return QStringLiteral("the request is not HTTP/1.1");
    case Outcome::RequestTimeout:
        return QStringLiteral("the request did not arrive in time");
    case Outcome::RequestTooLarge:
        return QStringLiteral("the request body is larger than 1 MiB");
    case Outcome::RequestHeadTooLarge:
        return QStringLiteral("the request line and headers are larger than 64 KiB");
    case Outcome::RequestFieldTooLarge:
        return QStringLiteral("a header is longer than 8 KiB, or there are more than 100 headers");
    case Outcome::RequestLengthAmbiguous:
        return QStringLiteral("the request gives its length more than once");
    case Outcome::LengthRequired:
        return QStringLiteral("a request body needs a Content-Length");
    case Outcome::TextFieldUnknown:
        return field(outcome, ": unknown field ") + outcome.description;
    case Outcome::TextFieldMalformed:
        return field(outcome, ": malformed field ") + outcome.description;
    case Outcome::TextTooLong:
        return field(outcome, " is too long: with its fields filled in it may pass 65536 characters");
    case Outcome::InArea:
        return outcome.area->words(outcome);
    }
    return {};
}

QString inUse(CommMode mode, int port, const QString &host)
{
    if (mode == CommMode::None)
        return QStringLiteral("Using NONE");
    if (mode == CommMode::Tcp)
        return QStringLiteral("Using TCP ") + TransportArgument::address(host, port);
    return (mode == CommMode::Serial ? QStringLiteral("Using COM%1") : QStringLiteral("Using UDP %1")).arg(port);
}

bool isCritical(Outcome::Kind kind)
{
    return kind == Outcome::ArgumentNotRecognized || kind == Outcome::PortNotAvailable
            || kind == Outcome::PortCannotOpen || kind == Outcome::SendFailed || kind == Outcome::TcpPortMissing
            || kind == Outcome::TcpHostMissing || kind == Outcome::TcpPortInvalid || kind == Outcome::TcpCannotConnect;
}

} // namespace MessageText
