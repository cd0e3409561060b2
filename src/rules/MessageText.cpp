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
    case Outcome::ListCreateFailed:
        return listFile("Unable to create message list file", outcome);
    case Outcome::ListWriteFailed:
        return listFile("Unable to write to message list file", outcome);
    case Outcome::BoardNumberInvalid:
        return invalidNumber("INVALID BOARD NUMBER");
    case Outcome::BrightnessInvalid:
        return invalidNumber("INVALID BRIGHTNESS");
    case Outcome::StoreNotRegular:
        return QStringLiteral("The store \"%1\" is not a regular file").arg(outcome.subject);
    case Outcome::StoreNotDatabase:
        return QStringLiteral("The store \"%1\" is not a database: %2").arg(outcome.subject, outcome.description);
    case Outcome::StoreNewer:
        return QStringLiteral("The store \"%1\" was written by a newer VaroServe (store version %2)")
                .arg(outcome.subject, outcome.description);
    case Outcome::StoreForeign:
        return QStringLiteral("The store \"%1\" is a database of another program").arg(outcome.subject);
    case Outcome::StoreFailed:
        return QStringLiteral("The store \"%1\" failed: %2").arg(outcome.subject, outcome.description);
    case Outcome::PrivateFileUnreadable:
        return QStringLiteral("Unable to read \"%1\": %2").arg(outcome.subject, outcome.description);
    case Outcome::PrivateFileOpenToOthers:
        return QStringLiteral("\"%1\" can be read or changed by other users: allow only its owner (chmod 600)")
                .arg(outcome.subject);
    case Outcome::TokenTooShort:
        return QStringLiteral("The token in \"%1\" is shorter than 16 characters").arg(outcome.subject);
    case Outcome::ListenFailed:
        return QStringLiteral("Unable to listen on %1: %2").arg(outcome.subject, outcome.description);
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
    case Outcome::PathUnknown:
        return QStringLiteral("no such path: ") + outcome.subject;
    case Outcome::MethodNotAllowed:
        return outcome.subject + QStringLiteral(" is not allowed here; allowed: ") + outcome.description;
    case Outcome::Unauthorized:
        return QStringLiteral("a valid \"Authorization: Bearer TOKEN\" header is required");
    case Outcome::AlertUnknown:
        return QStringLiteral("no such alert: ") + outcome.subject;
    case Outcome::BoardEmpty:
        return QStringLiteral("board %1 has no playlist whose item could change").arg(outcome.subject);
    case Outcome::AlertsFull:
        return QStringLiteral("board %1 holds %2 live alerts already: end one first")
                .arg(outcome.subject)
                .arg(outcome.limit);
    case Outcome::LimitInvalid:
        return outcome.subject + QStringLiteral(" must be a whole number from 1 to 1000");
    case Outcome::CursorInvalid:
        return outcome.subject + QStringLiteral(" must be the id of a journal entry, a whole number from 1");
    case Outcome::JsonMalformed:
        return QStringLiteral("malformed JSON: ") + outcome.subject;
    case Outcome::NotAnObject:
        return field(outcome, " must be a JSON object");
    case Outcome::FieldUnknown:
        return field(outcome, " is not a known field here");
    case Outcome::FieldMissing:
        return field(outcome, " is required");
    case Outcome::NotText:
        return field(outcome, " must be a text");
    case Outcome::ModeInvalid:
        return field(outcome, " must be left, right, center, slow, medium, fast or a whole number from 0 to 5");
    case Outcome::BrightnessOutOfRange:
        return field(outcome, " must be a whole number from 0 to 99");
    case Outcome::SecondsInvalid:
        return field(outcome, " must be a whole number from 1 to 86400");
    case Outcome::AlertSecondsInvalid:
        return field(outcome, " must be a whole number from 1 to 604800");
    case Outcome::PriorityInvalid:
        return field(outcome, " must be a whole number from 1 to 9");
    case Outcome::DaysInvalid:
        return field(outcome, " must be a list of one or more of mon, tue, wed, thu, fri, sat, sun");
    case Outcome::FromInvalid:
        return field(outcome, " must be a time HH:MM from 00:00 to 23:59");
    case Outcome::UntilInvalid:
        return field(outcome, " must be a time HH:MM from 00:00 to 24:00");
    case Outcome::UntilEqualsFrom:
        return field(outcome, " must differ from from (for the whole day use 00:00 to 24:00)");
    case Outcome::DateInvalid:
        return field(outcome, " must be a date YYYY-MM-DD");
    case Outcome::DatesReversed:
        return field(outcome, " must not be before firstDate");
    case Outcome::PlaylistInvalid:
        return field(outcome, " must be an array of at most 100 items");
    case Outcome::TextFieldUnknown:
        return field(outcome, ": unknown field ") + outcome.description;
    case Outcome::TextFieldMalformed:
        return field(outcome, ": malformed field ") + outcome.description;
    case Outcome::TextTooLong:
        return field(outcome, " is too long: with its fields filled in it may pass 65536 characters");
    case Outcome::TextTooLongForDatagram:
        return field(outcome, " is too long for one UDP datagram: ")
                + QStringLiteral("board %1 takes at most %2 characters with its fields filled in")
                          .arg(outcome.description)
                          .arg(outcome.limit);
    case Outcome::BoardOutOfRange:
        return field(outcome, " must be a whole number from 0 to 99");
    case Outcome::CounterNameInvalid:
        return QStringLiteral("counter name \"") + outcome.description
                + QStringLiteral("\" must be 1 to 64 letters, digits, '_', '-' or '.'");
    case Outcome::CounterValueInvalid:
        return field(outcome, " must be a whole number from ") + QStringLiteral("-%1 to %1").arg(outcome.limit);
    case Outcome::MqttPayloadTooLarge:
        return QStringLiteral("payload larger than 64 KiB");
    case Outcome::MqttTopicUnknown:
        return QStringLiteral("not a command topic: ") + outcome.description;
    case Outcome::MqttCommandRetained:
        return QStringLiteral("a retained command is not applied: publish it without the retain flag");
    case Outcome::MqttConnected:
        return QStringLiteral("MQTT broker ") + outcome.subject + QStringLiteral(": connected");
    case Outcome::MqttLost:
        return QStringLiteral("MQTT broker ") + outcome.subject + QStringLiteral(": ") + outcome.description
                + QStringLiteral("; trying again");
    case Outcome::MqttRefused:
        return QStringLiteral("MQTT broker ") + outcome.subject + QStringLiteral(" refused the connection: ")
                + outcome.description;
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
