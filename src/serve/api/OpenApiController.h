#ifndef OPENAPICONTROLLER_H
#define OPENAPICONTROLLER_H

class ApiServer;

// /api/openapi.json: every route, its parameters, bodies and answers, as
// written beside this file (openapi.json) and compiled in.
class OpenApiController
{
public:
    void addRoutes(ApiServer &server);
};

#endif
