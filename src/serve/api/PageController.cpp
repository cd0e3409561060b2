#include "serve/api/PageController.h"

#include "serve/api/ApiServer.h"
#include "serve/www/WwwPages.h"

void PageController::addRoutes(ApiServer &server)
{
    for (const QString &path : WwwPages::paths()) {
        server.route(QHttpServerRequest::Method::Get, path, [path](const ApiRequest &) {
            const WwwPages::File file = WwwPages::file(path);
            return ApiReply { 200, file.body, file.contentType, {} };
        });
    }
    for (const auto &[name, value] : WwwPages::securityHeaders())
        server.addHeader(name, value);
}
