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
        return 409;
    case Outcome::TextTooLongForDatagram:
    case Outcome::CursorInvalid:
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
        return 500;
    default:
        // Everything else is a request's content that does not pass its check.
        return 400;
    }
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
