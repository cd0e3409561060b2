#ifndef ACCESSCONTROLLER_H
#define ACCESSCONTROLLER_H

#include "serve/api/ApiReply.h"

class ApiServer;
class ApiRequest;
class AuditTrail;

// /api/whoami: the caller's name and role, so that a client can offer only
// what its token may do. /api/audit (admin): who changed what, newest first.
class AccessController
{
public:
    explicit AccessController(const AuditTrail &audit)
        : m_audit(audit)
    { }
    void addRoutes(ApiServer &server);

private:
    static ApiReply whoami(const ApiRequest &request);
    ApiReply audit(const ApiRequest &request) const;

    const AuditTrail &m_audit;
};

#endif
