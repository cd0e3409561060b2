#include "serve/api/HealthController.h"

#include "rules/MessageText.h"
#include "serve/TransportSink.h"
#include "serve/api/ApiServer.h"
#include "transport/Transport.h"

#include <QJsonObject>

void HealthController::addRoutes(ApiServer &server)
{
    server.route(QHttpServerRequest::Method::Get, QStringLiteral("/api/health"),
                 [this](const ApiRequest &) { return health(); });
}

ApiReply HealthController::health() const
{
    const Transport &transport = m_line.transport();
    const Outcome failure = m_line.lastFailure();
    return ApiReply::json(QJsonObject {
            { QStringLiteral("transport"), transport.target() },
            { QStringLiteral("open"), m_line.isOpen() },
            { QStringLiteral("bytesWaiting"), m_line.bytesWaiting() },
            { QStringLiteral("busy"), m_line.busy() },
            { QStringLiteral("lastFailure"), failure.ok() ? QJsonValue() : QJsonValue(MessageText::of(failure)) },
    });
}
