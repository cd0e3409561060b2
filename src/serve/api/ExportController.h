#ifndef EXPORTCONTROLLER_H
#define EXPORTCONTROLLER_H

#include "serve/api/ApiReply.h"
#include "serve/api/ApiRequest.h"

class ApiServer;
class BoardControl;

// /api/export and /api/import: the whole content as one JSON document, and
// all of it replaced by one.
class ExportController
{
public:
    explicit ExportController(BoardControl &control)
        : m_control(control)
    { }
    void addRoutes(ApiServer &server);

private:
    ApiReply exported() const;
    ApiReply import(const ApiRequest &request);

    BoardControl &m_control;
};

#endif
