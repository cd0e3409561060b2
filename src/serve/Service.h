#ifndef SERVICE_H
#define SERVICE_H

#include "engine/BoardEngine.h"
#include "engine/Clock.h"
#include "serve/AuditTrail.h"
#include "serve/BoardControl.h"
#include "serve/ServeOptions.h"
#include "serve/TransportSink.h"
#include "serve/api/AccessController.h"
#include "serve/api/AlertsController.h"
#include "serve/api/ApiServer.h"
#include "serve/api/BoardsController.h"
#include "serve/api/CountersController.h"
#include "serve/api/ExportController.h"
#include "serve/api/FaceController.h"
#include "serve/api/FieldsController.h"
#include "serve/api/GroupsController.h"
#include "serve/api/HealthController.h"
#include "serve/api/JournalController.h"
#include "serve/api/MetricsController.h"
#include "serve/api/OpenApiController.h"
#include "serve/api/PageController.h"
#include "serve/api/PushChannel.h"
#include "serve/mqtt/MqttBridge.h"
#include "serve/mqtt/MqttClient.h"
#include "store/ServeStore.h"
#include "transport/Transport.h"

#include <QObject>

#include <memory>

// One run of VaroServe: the line, the store, the engine and the front ends,
// wired together.
class Service : public QObject
{
    Q_OBJECT

public:
    enum ExitCode { Stopped = 0, Failed = 1, BadUsage = 2 };

    explicit Service(ServeOptions::Parsed options);
    ~Service() override;

    // Opens everything in turn and starts the boards; on a failure, says why
    // on standard error and returns the exit code. Running means go on.
    static constexpr int running = -1;
    int start();
    // Takes no more requests, lets the line take what is pending (bounded),
    // closes the store.
    void stop();
    const ApiServer *api() const { return m_api.get(); } // once started

private:
    int fail(const Outcome &outcome, ExitCode code) const;
    void wireVerbose();

    ServeOptions::Parsed m_options;
    QString m_lastFailure; // told once, not for every frame
    SystemClock m_clock;
    Transport m_transport;
    TransportSink m_sink { m_transport };
    ServeStore m_store;
    BoardEngine m_engine { m_clock, m_sink };
    BoardControl m_control { m_store, m_engine, m_clock };
    AuditTrail m_audit { m_store, m_clock };
    std::unique_ptr<ApiServer> m_api;
    BoardsController m_boards { m_control };
    AlertsController m_alerts { m_control };
    GroupsController m_groups { m_control };
    CountersController m_counters { m_control };
    JournalController m_journal { m_control };
    HealthController m_health { m_sink };
    FaceController m_face { m_control };
    FieldsController m_fields;
    PushChannel m_push { m_control, m_boards };
    PageController m_page;
    ExportController m_export { m_control };
    MetricsController m_metrics { m_control, m_sink, m_store };
    OpenApiController m_openApi;
    AccessController m_access { m_audit };
    std::unique_ptr<MqttTls> m_mqttTls;
    std::unique_ptr<MqttClient> m_mqttClient;
    std::unique_ptr<MqttBridge> m_mqtt;
};

#endif
