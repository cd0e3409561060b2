#ifndef APIREQUEST_H
#define APIREQUEST_H

#include "common/Outcome.h"
#include "serve/api/AccessTokens.h"

#include <QHttpServerRequest>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QUrlQuery>

// One request as an action sees it: the path's variable segments in order
// ("/api/boards/*/alerts/*" gives the board and the id), the query and the body.
class ApiRequest
{
public:
    ApiRequest(const QHttpServerRequest &http, QStringList segments, AccessTokens::Caller caller = {})
        : m_http(http)
        , m_segments(std::move(segments))
        , m_caller(std::move(caller))
    { }

    QString segment(int index) const { return m_segments.value(index); }
    QUrlQuery query() const { return m_http.query(); }
    // Who asked, from where, with what right.
    const AccessTokens::Caller &caller() const { return m_caller; }
    // The body as JSON (an object or an array): JsonMalformed when it is not
    // one. An empty body reads as undefined, so every field takes its default.
    Outcome json(QJsonValue &value) const;

private:
    const QHttpServerRequest &m_http;
    QStringList m_segments;
    AccessTokens::Caller m_caller;
};

#endif
