#ifndef APIREQUEST_H
#define APIREQUEST_H

#include "common/Outcome.h"
#include "serve/api/AccessTokens.h"
#include "serve/api/ApiReply.h"

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
    // The body as JSON, the path's first segment read by key, the body read
    // by body, in that order; the first that fails is answered, else action
    // is given both.
    template<typename Key, typename Body, typename Action> ApiReply with(Key key, Body body, Action action) const
    {
        QJsonValue json;
        if (const Outcome read = this->json(json); !read.ok())
            return ApiReply::error(read);
        const auto named = key(segment(0));
        if (!named.ok())
            return ApiReply::error(named.error);
        const auto decoded = body(json);
        return decoded.ok() ? action(named.value, decoded.value) : ApiReply::error(decoded.error);
    }

private:
    const QHttpServerRequest &m_http;
    QStringList m_segments;
    AccessTokens::Caller m_caller;
};

#endif
