#ifndef JOURNALCONTROLLER_H
#define JOURNALCONTROLLER_H

#include "serve/api/ApiReply.h"

class ApiRequest;
class ApiServer;
class BoardControl;

// /api/journal: the frames that went out, newest first.
class JournalController
{
public:
    static constexpr int defaultLimit = 50;
    static constexpr int maxLimit = 10000;

    explicit JournalController(BoardControl &control)
        : m_control(control)
    { }
    void addRoutes(ApiServer &server);

private:
    ApiReply list(const ApiRequest &request);

    BoardControl &m_control;
};

#endif
