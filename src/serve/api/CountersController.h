#ifndef COUNTERSCONTROLLER_H
#define COUNTERSCONTROLLER_H

#include "serve/api/ApiReply.h"

#include <QString>

class ApiRequest;
class ApiServer;
class BoardControl;

// /api/counters: the values behind {counter:NAME}.
class CountersController
{
public:
    explicit CountersController(BoardControl &control)
        : m_control(control)
    { }
    void addRoutes(ApiServer &server);

private:
    ApiReply list() const;
    ApiReply set(const ApiRequest &request);
    ApiReply add(const ApiRequest &request);
    // The body's one field, or an outcome naming what is wrong with it.
    static Outcome field(const ApiRequest &request, const QString &name, bool required, QJsonValue &value);
    ApiReply counter(const QString &name, qint64 value) const;

    BoardControl &m_control;
};

#endif
