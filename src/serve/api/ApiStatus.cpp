#include "serve/api/ApiStatus.h"

#include "rules/MessageText.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace ApiStatus {

int of(Outcome::Kind kind)
{
    switch (kind) {
    case Outcome::Done:
        return 200;
    case Outcome::Unauthorized:
        return 401;
    case Outcome::PathUnknown:
    case Outcome::AlertUnknown:
        return 404;
    case Outcome::MethodNotAllowed:
        return 405;
    case Outcome::BoardEmpty:
    case Outcome::AlertsFull:
        return 409;
    // A request, or its content, that does not pass its check.
    case Outcome::RequestMalformed:
    case Outcome::RequestLengthAmbiguous:
    case Outcome::BoardNumberInvalid:
    case Outcome::BrightnessInvalid:
    case Outcome::LimitInvalid:
    case Outcome::CursorInvalid:
    case Outcome::JsonMalformed:
    case Outcome::NotAnObject:
    case Outcome::FieldUnknown:
    case Outcome::FieldMissing:
    case Outcome::NotText:
    case Outcome::ModeInvalid:
    case Outcome::BrightnessOutOfRange:
    case Outcome::SecondsInvalid:
    case Outcome::AlertSecondsInvalid:
    case Outcome::PriorityInvalid:
    case Outcome::DaysInvalid:
    case Outcome::FromInvalid:
    case Outcome::UntilInvalid:
    case Outcome::UntilEqualsFrom:
    case Outcome::DateInvalid:
    case Outcome::DatesReversed:
    case Outcome::PlaylistInvalid:
    case Outcome::TextFieldUnknown:
    case Outcome::TextFieldMalformed:
    case Outcome::TextTooLong:
    case Outcome::TextTooLongForDatagram:
    case Outcome::BoardOutOfRange:
    case Outcome::CounterNameInvalid:
    case Outcome::CounterValueInvalid:
        return 400;
    case Outcome::RequestTimeout:
        return 408;
    case Outcome::LengthRequired:
        return 411;
    case Outcome::RequestTooLarge:
        return 413;
    case Outcome::RequestHeadTooLarge:
    case Outcome::RequestFieldTooLarge:
        return 431;
    case Outcome::StoreNotRegular:
    case Outcome::StoreNotDatabase:
    case Outcome::StoreNewer:
    case Outcome::StoreForeign:
    case Outcome::StoreFailed:
    case Outcome::PrivateFileUnreadable:
    case Outcome::PrivateFileOpenToOthers:
    case Outcome::TokenTooShort:
    case Outcome::ListenFailed:
    case Outcome::ArgumentNotRecognized:
    case Outcome::PortNotAvailable:
    case Outcome::PortCannotOpen:
    case Outcome::SendFailed:
    case Outcome::ListCreateFailed:
    case Outcome::ListWriteFailed:
    // The bus's own, never the answer to a request.
    case Outcome::MqttPayloadTooLarge:
    case Outcome::MqttTopicUnknown:
    case Outcome::MqttCommandRetained:
    case Outcome::MqttConnected:
    case Outcome::MqttLost:
    case Outcome::MqttRefused:
        return 500;
    }
    return 500;
}

QByteArray reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 204:
        return "No Content";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 409:
        return "Conflict";
    case 411:
        return "Length Required";
    case 413:
        return "Content Too Large";
    case 431:
        return "Request Header Fields Too Large";
    default:
        return "Internal Server Error";
    }
}

QByteArray closingAnswer(const Outcome &outcome)
{
    const int status = of(outcome.kind);
    const QByteArray body = QJsonDocument(QJsonObject { { QStringLiteral("error"), MessageText::of(outcome) } })
                                    .toJson(QJsonDocument::Compact)
            + '\n';
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status)
            + "\r\nContent-Type: application/json\r\nX-Content-Type-Options: nosniff\r\nConnection: close"
              "\r\nContent-Length: "
            + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

} // namespace ApiStatus
