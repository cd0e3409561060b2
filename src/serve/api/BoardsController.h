#ifndef BOARDSCONTROLLER_H
#define BOARDSCONTROLLER_H

#include "serve/api/ApiReply.h"
#include "serve/content/BoardNumber.h"

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
    QJsonObject showing(int board, bool cut = false) const;
    // A board as the list gives it (cut) or as GET /api/boards/N begins.
    QJsonObject summary(int board, bool cut = false) const;

private:
    ApiReply list() const;
    ApiReply board(const ApiRequest &request) const;
    ApiReply board(BoardNumber board) const;
    ApiReply putPlaylist(const ApiRequest &request);
    ApiReply putMessage(const ApiRequest &request);
    ApiReply deletePlaylist(const ApiRequest &request);
    ApiReply declare(const ApiRequest &request);
    ApiReply forget(const ApiRequest &request);
    // In the list, a text and a frame are cut to their first listHead
    // characters or bytes, their whole sizes given, so that a hundred boards
    // of 64 KiB texts make a small answer.
    static constexpr int listHead = 400;

    BoardControl &m_control;
};

#endif
