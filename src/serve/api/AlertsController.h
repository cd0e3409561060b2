#ifndef ALERTSCONTROLLER_H
#define ALERTSCONTROLLER_H

#include "serve/api/ApiReply.h"

class ApiRequest;
class ApiServer;
class BoardControl;

// /api/boards/N/alerts: raise, list and end a board's alerts.
class AlertsController
{
public:
    explicit AlertsController(BoardControl &control)
        : m_control(control)
    { }
    void addRoutes(ApiServer &server);

private:
    ApiReply list(const ApiRequest &request) const;
    ApiReply raise(const ApiRequest &request);
    ApiReply remove(const ApiRequest &request);
    ApiReply clear(const ApiRequest &request);

    BoardControl &m_control;
};

#endif
