#include "serve/api/ApiStatus.h"

#include "rules/MessageText.h"
#include "serve/ServiceOutcome.h"
#include "serve/content/ContentOutcome.h"
#include "store/StoreOutcome.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace ApiStatus {

namespace {

int of(StoreOutcome kind)
{
    switch (kind) {
    case StoreOutcome::AlertUnknown:
        return 404;
    case StoreOutcome::NotRegular:
    case StoreOutcome::NotDatabase:
    case StoreOutcome::Newer:
    case StoreOutcome::Foreign:
    case StoreOutcome::Failed:
    case StoreOutcome::InUse:
        return 500;
    }
    return 500;
}

int of(ContentOutcome kind)
{
    switch (kind) {
    // Content that does not pass its check.
    case ContentOutcome::JsonMalformed:
    case ContentOutcome::NotAnObject:
    case ContentOutcome::FieldUnknown:
    case ContentOutcome::FieldMissing:
    case ContentOutcome::NotText:
    case ContentOutcome::ModeInvalid:
    case ContentOutcome::BrightnessOutOfRange:
    case ContentOutcome::SecondsInvalid:
    case ContentOutcome::AlertSecondsInvalid:
    case ContentOutcome::PriorityInvalid:
    case ContentOutcome::DaysInvalid:
    case ContentOutcome::FromInvalid:
    case ContentOutcome::UntilInvalid:
    case ContentOutcome::UntilEqualsFrom:
    case ContentOutcome::DateInvalid:
    case ContentOutcome::DatesReversed:
    case ContentOutcome::PlaylistInvalid:
    case ContentOutcome::TextTooLongForDatagram:
    case ContentOutcome::BoardOutOfRange:
    case ContentOutcome::CounterNameInvalid:
    case ContentOutcome::CounterValueInvalid:
    case ContentOutcome::NameTooLong:
    case ContentOutcome::GroupInvalid:
    case ContentOutcome::GroupsTooMany:
    case ContentOutcome::NotAnArray:
    case ContentOutcome::Repeated:
    case ContentOutcome::BoardsMissing:
    case ContentOutcome::ArchiveUnknown:
        return 400;
    }
    return 500;
}

int of(ServiceOutcome kind)
{
    switch (kind) {
    case ServiceOutcome::Unauthorized:
        return 401;
    case ServiceOutcome::Forbidden:
        return 403;
    case ServiceOutcome::AddressLocked:
        return 429;
    case ServiceOutcome::PathUnknown:
    case ServiceOutcome::GroupUnknown:
    case ServiceOutcome::BoardNotDeclared:
        return 404;
    case ServiceOutcome::MethodNotAllowed:
        return 405;
    case ServiceOutcome::BoardEmpty:
    case ServiceOutcome::AlertsFull:
        return 409;
    case ServiceOutcome::LimitInvalid:
    case ServiceOutcome::CursorInvalid:
        return 400;
    case ServiceOutcome::TokenTooShort:
    case ServiceOutcome::TokenLineInvalid:
    case ServiceOutcome::TlsFileInvalid:
    case ServiceOutcome::ListenFailed:
    case ServiceOutcome::ArchiveUnreadable:
    case ServiceOutcome::ArchiveUnwritable:
        return 500;
    }
    return 500;
}

int of(const OutcomeArea &area, const Outcome &outcome)
{
    switch (area.name) {
    case OutcomeArea::Store:
        return of(outcome.areaKind<StoreOutcome>());
    case OutcomeArea::Content:
        return of(outcome.areaKind<ContentOutcome>());
    case OutcomeArea::Service:
        return of(outcome.areaKind<ServiceOutcome>());
    case OutcomeArea::Bus: // the bus's own, never the answer to a request
        return 500;
    }
    return 500;
}

} // namespace

int of(const Outcome &outcome)
{
    switch (outcome.kind) {
    case Outcome::Done:
        return 200;
    case Outcome::InArea:
        return of(*outcome.area, outcome);
    // A request, or its content, that does not pass its check.
    case Outcome::RequestMalformed:
    case Outcome::RequestLengthAmbiguous:
    case Outcome::BoardNumberInvalid:
    case Outcome::BrightnessInvalid:
    case Outcome::TextFieldUnknown:
    case Outcome::TextFieldMalformed:
    case Outcome::TextTooLong:
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
    case Outcome::PrivateFileUnreadable:
    case Outcome::PrivateFileOpenToOthers:
    case Outcome::ArgumentNotRecognized:
    case Outcome::PortNotAvailable:
    case Outcome::PortCannotOpen:
    case Outcome::SendFailed:
    case Outcome::TcpPortMissing:
    case Outcome::TcpHostMissing:
    case Outcome::TcpPortInvalid:
    case Outcome::TcpCannotConnect:
    case Outcome::TcpRetrying:
    case Outcome::TcpConnected:
    case Outcome::ListCreateFailed:
    case Outcome::ListWriteFailed:
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
    case 403:
        return "Forbidden";
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
    case 429:
        return "Too Many Requests";
    case 431:
        return "Request Header Fields Too Large";
    default:
        return "Internal Server Error";
    }
}

QByteArray closingAnswer(const Outcome &outcome)
{
    const int status = of(outcome);
    const QByteArray body = QJsonDocument(QJsonObject { { QStringLiteral("error"), MessageText::of(outcome) } })
                                    .toJson(QJsonDocument::Compact)
            + '\n';
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status)
            + "\r\nContent-Type: application/json\r\nX-Content-Type-Options: nosniff\r\nConnection: close"
              "\r\nContent-Length: "
            + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

} // namespace ApiStatus
