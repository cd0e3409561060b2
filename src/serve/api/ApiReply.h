#ifndef APIREPLY_H
#define APIREPLY_H

#include "common/Outcome.h"

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QPair>

// What an action answers: a status and a body, JSON unless it says otherwise.
struct ApiReply
{
    int status = 200;
    QByteArray body;
    QByteArray contentType = "application/json";
    QList<QPair<QByteArray, QByteArray>> headers;

    static ApiReply json(const QJsonValue &value, int status = 200); // an object or an array
    static ApiReply error(const Outcome &outcome); // {"error": "..."}, its status from ApiStatus
    static ApiReply noContent() { return { 204, {}, {}, {} }; }
};

#endif
