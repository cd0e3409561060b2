#ifndef PAGECONTROLLER_H
#define PAGECONTROLLER_H

class ApiServer;

// "/": the web page's files, and the policy every answer carries so that a
// browser runs no script but the page's own.
class PageController
{
public:
    void addRoutes(ApiServer &server);
};

#endif
