#ifndef BOARDSCONTROLLER_H
#define BOARDSCONTROLLER_H

#include "serve/api/ApiReply.h"

#include <QJsonObject>

class ApiRequest;
class ApiServer;
class BoardControl;

// /api/boards: what each board shows, its playlist, the last frame sent.
class BoardsController
{
public:
    explicit BoardsController(BoardControl &control)
        : m_control(control)
    { }
    void addRoutes(ApiServer &server);

    // What a board shows now, with the seconds until it gives way.
    QJsonObject showing(int board) const;

private:
    ApiReply list() const;
    ApiReply board(const ApiRequest &request) const;
    ApiReply putPlaylist(const ApiRequest &request);
    ApiReply putMessage(const ApiRequest &request);
    ApiReply deletePlaylist(const ApiRequest &request);
    QJsonObject summary(int board) const;

    BoardControl &m_control;
};

#endif
