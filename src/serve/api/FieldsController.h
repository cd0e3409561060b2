#ifndef FIELDSCONTROLLER_H
#define FIELDSCONTROLLER_H

#include "serve/api/ApiReply.h"

class ApiServer;

// GET /api/fields: the live fields a text may hold, as the service reads
// them, so that a client's list of fields is never a copy of its own.
class FieldsController
{
public:
    void addRoutes(ApiServer &server);

private:
    static ApiReply list();
};

#endif
