#ifndef OUTCOME_H
#define OUTCOME_H

#include "common/CommMode.h"

#include <QString>

// What a rule did, as data. The texts the operator sees are worded from it
// in one place (MessageText).
struct Outcome
{
    enum Kind {
        Done,
        ArgumentNotRecognized, // subject: the argument as typed
        PortNotAvailable, // port; description: the system's reason
        PortCannotOpen, // port; description
        SendFailed, // mode, port; description
        ListCreateFailed, // subject: the file's path; description
        ListWriteFailed, // subject; description
        BoardNumberInvalid,
        BrightnessInvalid,
        // VaroServe's own: its store, its private files, its socket, HTTP.
        StoreNotRegular, // subject: the store's path
        StoreNotDatabase, // subject; description: the database's reason
        StoreNewer, // subject; description: the file's schema version
        StoreForeign, // subject: a database that some other program made
        StoreFailed, // subject; description
        PrivateFileUnreadable, // subject: the path; description
        PrivateFileOpenToOthers, // subject
        TokenTooShort, // subject: the token file
        ListenFailed, // subject: HOST:PORT; description
        RequestMalformed,
        RequestTimeout,
        RequestTooLarge,
        RequestHeadTooLarge,
        RequestFieldTooLarge,
        RequestLengthAmbiguous,
        LengthRequired,
        PathUnknown, // subject: the path
        MethodNotAllowed, // subject: the method; description: the allowed ones
        Unauthorized,
        AlertUnknown, // subject: the id
        BoardEmpty, // subject: the board; it has no playlist to change
        AlertsFull, // subject: the board; limit: the live alerts it holds
        LimitInvalid, // subject: the parameter
        CursorInvalid, // subject: the parameter
        // Board content read from JSON (API, bus, store). subject: the field
        // as the reader wrote it ("brightness", "items[3].from").
        JsonMalformed, // subject: the parser's reason
        NotAnObject,
        FieldUnknown,
        FieldMissing,
        NotText,
        ModeInvalid,
        BrightnessOutOfRange,
        SecondsInvalid,
        AlertSecondsInvalid,
        PriorityInvalid,
        DaysInvalid,
        FromInvalid,
        UntilInvalid,
        UntilEqualsFrom,
        DateInvalid,
        DatesReversed, // subject: the last date
        PlaylistInvalid, // not an array of at most 100 items
        TextFieldUnknown, // description: the field as written, "{foo}"
        TextFieldMalformed, // description: the field as written
        TextTooLong,
        TextTooLongForDatagram, // description: the board; limit: its characters
        BoardOutOfRange,
        CounterNameInvalid, // description: the name
        CounterValueInvalid, // limit: the largest magnitude
        // The service's MQTT link and the commands it takes from the bus.
        MqttPayloadTooLarge,
        MqttTopicUnknown, // description: the command topics
        MqttCommandRetained,
        MqttConnected, // subject: HOST:PORT
        MqttLost, // subject: HOST:PORT; description: the reason
        MqttRefused, // subject: HOST:PORT; description: the broker's reason
    };

    Kind kind = Done;
    QString subject;
    CommMode mode = CommMode::None;
    int port = 0;
    QString description;
    qint64 unsent = 0; // bytes queued before that will not go out
    qint64 limit = 0; // the bound a value passed

    bool ok() const { return kind == Done; }
};

#endif
