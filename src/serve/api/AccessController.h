#ifndef ACCESSCONTROLLER_H
#define ACCESSCONTROLLER_H

#include "serve/api/ApiReply.h"

class ApiServer;
class ApiRequest;

// /api/whoami: the caller's name and role, so that a client can offer only
// what its token may do.
class AccessController
{
public:
    void addRoutes(ApiServer &server);

private:
    static ApiReply whoami(const ApiRequest &request);
};

#endif
