#ifndef GROUPSCONTROLLER_H
#define GROUPSCONTROLLER_H

#include "engine/Alert.h"
#include "serve/api/ApiReply.h"

class ApiRequest;
class ApiServer;
class BoardControl;

// /api/groups: the groups of the declared boards, and one message,
// playlist or alert sent to every board of a group (or of "all").
class GroupsController
{
public:
    explicit GroupsController(BoardControl &control)
        : m_control(control)
    { }
    void addRoutes(ApiServer &server);

private:
    ApiReply list() const;
    ApiReply putPlaylist(const ApiRequest &request);
    ApiReply putMessage(const ApiRequest &request);
    ApiReply raise(const ApiRequest &request);
    ApiReply answer(const QString &group, Alert &alert);
    ApiReply end(const ApiRequest &request);

    BoardControl &m_control;
};

#endif
