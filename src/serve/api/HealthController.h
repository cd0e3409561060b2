#ifndef HEALTHCONTROLLER_H
#define HEALTHCONTROLLER_H

#include "serve/api/ApiReply.h"

class ApiServer;
class TransportSink;

// /api/health: the line and whether it keeps up.
class HealthController
{
public:
    explicit HealthController(const TransportSink &line)
        : m_line(line)
    { }
    void addRoutes(ApiServer &server);

private:
    ApiReply health() const;

    const TransportSink &m_line;
};

#endif
