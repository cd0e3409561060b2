#ifndef OUTCOME_H
#define OUTCOME_H

#include "common/CommMode.h"

#include <QString>

struct Outcome;

// An area of the programs with kinds of outcome of its own: an enum of its
// kinds and the function that words them, both beside the code that has
// them (the service's store, its board content, its front ends, its bus).
// The areas are named here, so that a switch over them is complete.
struct OutcomeArea
{
    enum Name { Store, Content, Service, Bus };
    Name name;
    QString (*words)(const Outcome &outcome); // for MessageText
};

// What a rule did, as data. The texts the operator sees are worded from it
// in one place (MessageText, which asks an area for its own kinds).
struct Outcome
{
    // The kinds the programs share.
    enum Kind {
        Done,
        ArgumentNotRecognized, // subject: the argument as typed
        PortNotAvailable, // port; description: the system's reason
        PortCannotOpen, // port; description
        SendFailed, // mode, port (TCP: subject HOST:PORT); description
        TcpPortMissing, // subject: the argument as typed
        TcpHostMissing, // subject: the argument as typed
        TcpPortInvalid, // subject: the argument as typed
        TcpCannotConnect, // subject: HOST:PORT; description: the system's reason
        TcpRetrying, // subject: HOST:PORT; description: the reason; limit: seconds to the next try
        TcpConnected, // subject: HOST:PORT
        ListCreateFailed, // subject: the file's path; description
        ListWriteFailed, // subject; description
        BoardNumberInvalid,
        BrightnessInvalid,
        PrivateFileUnreadable, // subject: the path; description
        PrivateFileOpenToOthers, // subject
        // A board text's live fields, as the engine reads them. subject: the
        // field that holds the text.
        TextFieldUnknown, // description: the field as written, "{foo}"
        TextFieldMalformed, // description: the field as written
        TextTooLong,
        // A request the service's HTTP guard refuses before it is read.
        RequestMalformed,
        RequestTimeout,
        RequestTooLarge,
        RequestHeadTooLarge,
        RequestFieldTooLarge,
        RequestLengthAmbiguous,
        LengthRequired,
        InArea, // a kind of area's own enum, held in code
    };

    Outcome() = default;
    Outcome(Kind kind, QString subject = {}, CommMode mode = CommMode::None, int port = 0, QString description = {},
            qint64 unsent = 0, qint64 limit = 0)
        : kind(kind)
        , subject(std::move(subject))
        , mode(mode)
        , port(port)
        , description(std::move(description))
        , unsent(unsent)
        , limit(limit)
    { }
    // A kind of an area's own enum, which names its area with a function
    // outcomeArea(AreaKind) beside it.
    template<typename AreaKind, typename = decltype(outcomeArea(AreaKind()))>
    Outcome(AreaKind kind, QString subject = {}, CommMode mode = CommMode::None, int port = 0, QString description = {},
            qint64 unsent = 0, qint64 limit = 0)
        : Outcome(InArea, std::move(subject), mode, port, std::move(description), unsent, limit)
    {
        area = &outcomeArea(kind);
        code = int(kind);
    }

    Kind kind = Done;
    QString subject;
    CommMode mode = CommMode::None;
    int port = 0;
    QString description;
    qint64 unsent = 0; // bytes queued before that will not go out
    qint64 limit = 0; // the bound a value passed
    const OutcomeArea *area = nullptr; // with InArea
    int code = 0; // with InArea: the area's kind

    bool ok() const { return kind == Done; }
    template<typename AreaKind> bool is(AreaKind areaKind) const
    {
        return area == &outcomeArea(areaKind) && code == int(areaKind);
    }
    // With InArea, for the area's own switch.
    template<typename AreaKind> AreaKind areaKind() const { return AreaKind(code); }
};

#endif
