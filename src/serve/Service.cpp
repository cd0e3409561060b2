#include "serve/Service.h"

#include "common/Console.h"
#include "common/PrivateFile.h"
#include "rules/MessageText.h"
#include "rules/PortSettings.h"
#include "serve/ServiceOutcome.h"
#include "serve/api/ApiTls.h"
#include "transport/TransportArgument.h"
#include "transport/UdpLink.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

namespace {

constexpr qint64 tokenFileLimit = 256 * 1024;

} // namespace

Service::Service(ServeOptions::Parsed options)
    : m_options(std::move(options))
{ }

Service::~Service()
{
    m_store.close();
}

int Service::fail(const Outcome &outcome, ExitCode code) const
{
    Console::error(MessageText::of(outcome));
    return code;
}

int Service::start()
{
    AccessTokens tokens;
    if (!m_options.tokenFile.isEmpty()) {
        QByteArray contents;
        const Outcome read = PrivateFile::read(m_options.tokenFile, contents, tokenFileLimit);
        if (!read.ok())
            return fail(read, BadUsage);
        const Outcome parsed = tokens.parse(m_options.tokenFile, contents);
        contents.fill(0);
        if (!parsed.ok())
            return fail(parsed, BadUsage);
    }
    QSslConfiguration tls;
    if (!m_options.tlsCertificate.isEmpty()) {
        if (const Outcome loaded = ApiTls::load(m_options.tlsCertificate, m_options.tlsKey, tls); !loaded.ok())
            return fail(loaded, BadUsage);
    }
    if (const Outcome read = m_options.mqtt.readCredentials(); !read.ok())
        return fail(read, BadUsage);
    if (m_options.mqtt.tls) {
        m_mqttTls = std::make_unique<MqttTls>();
        if (const Outcome loaded = m_mqttTls->load(m_options.mqtt.tlsFiles, m_options.mqtt.host); !loaded.ok())
            return fail(loaded, BadUsage);
    }
    // The window's argument and its texts, as VaroSend has them.
    if (const TransportArgument argument = TransportArgument::parse(m_options.transport);
        argument.mode == CommMode::None)
        return fail({ argument.refusal, m_options.transport }, argument.isMalformed() ? BadUsage : Failed);
    // A device server that is away at the start is waited for, as one that
    // goes away later is: the boards are still kept, and health tells.
    if (const Outcome opened
        = m_transport.open(m_options.transport, PortSettings::mapped, Transport::TcpLoss::Reconnects);
        !opened.ok())
        return fail(opened, Failed);
    if (const Outcome opened = m_store.open(m_options.dataFile); !opened.ok())
        return fail(opened, Failed);
    if (m_transport.mode() == CommMode::Udp)
        m_control.setFrameLimit(UdpLink::maxDatagram);

    connect(&m_sink, &TransportSink::lineReady, &m_engine, &BoardEngine::lineReady);
    connect(&m_sink, &TransportSink::failed, this, [this](const Outcome &outcome) {
        const QString text = MessageText::of(outcome);
        if (text != std::exchange(m_lastFailure, text))
            Console::error(outcome.kind == Outcome::TcpRetrying ? QStringLiteral("VaroServe: ") + text : text);
        // A serial line that went away: whoever supervises the service
        // (systemd) may open it again. The answer being written goes first.
        if (m_sink.isGone())
            QTimer::singleShot(200, qApp, [] { QCoreApplication::exit(Failed); });
    });
    // Back on the line, every board gets its current frame: the device
    // server or the boards behind it may have restarted.
    connect(&m_sink, &TransportSink::reconnected, this, [this](const Outcome &outcome) {
        m_lastFailure.clear();
        Console::error(QStringLiteral("VaroServe: ") + MessageText::of(outcome));
        m_engine.start();
    });
    connect(&m_control, &BoardControl::journalFailed, this,
            [](const Outcome &outcome) { Console::error(MessageText::of(outcome)); });
    for (const QString &skipped : m_control.load())
        Console::error(QStringLiteral("VaroServe: skipped ") + skipped);

    m_api = std::make_unique<ApiServer>(std::move(tokens));
    connect(m_api.get(), &ApiServer::logLine, this,
            [](const QString &line) { Console::error(QStringLiteral("VaroServe: ") + line); });
    m_access.addRoutes(*m_api);
    m_api->setAudit(&m_audit);
    if (!m_options.tlsCertificate.isEmpty())
        m_api->setTls(tls);
    m_boards.addRoutes(*m_api);
    m_alerts.addRoutes(*m_api);
    m_groups.addRoutes(*m_api);
    m_counters.addRoutes(*m_api);
    m_journal.addRoutes(*m_api);
    m_health.addRoutes(*m_api);
    m_face.addRoutes(*m_api);
    m_fields.addRoutes(*m_api);
    m_push.addRoutes(*m_api);
    m_page.addRoutes(*m_api);
    m_export.addRoutes(*m_api);
    m_metrics.addRoutes(*m_api);
    m_openApi.addRoutes(*m_api);
    if (const Outcome listening = m_api->listen(m_options.listenAddress, m_options.listenPort); !listening.ok())
        return fail(listening, Failed);
    if (m_options.verbose)
        wireVerbose();
    if (m_options.mqtt.enabled) {
        MqttClient::Settings settings = m_options.mqtt.clientSettings();
        settings.tls = m_mqttTls.get();
        m_mqttClient = std::make_unique<MqttClient>(settings);
        m_mqtt = std::make_unique<MqttBridge>(*m_mqttClient, m_control, m_engine, m_options.mqtt);
        connect(m_mqttClient.get(), &MqttClient::event, this, [](const Outcome &outcome) {
            Console::error(QStringLiteral("VaroServe: ") + MessageText::of(outcome));
        });
        connect(m_mqttClient.get(), &MqttClient::connected, this, [this] { m_metrics.busConnected(true); });
        connect(m_mqttClient.get(), &MqttClient::disconnected, this, [this] { m_metrics.busConnected(false); });
        connect(m_mqtt.get(), &MqttBridge::refused, this, [this] { m_metrics.busRefused(); });
        connect(m_mqtt.get(), &MqttBridge::commanded, this,
                [this](const QString &topic, int board, const Outcome &outcome) {
                    ServeStore::AuditEntry entry { {}, QStringLiteral("mqtt"), topic, topic };
                    if (board >= 0)
                        entry.boards.append(board);
                    if (!outcome.ok())
                        entry.error = MessageText::of(outcome);
                    if (const Outcome recorded = m_audit.record(entry); !recorded.ok())
                        Console::error(MessageText::of(recorded));
                });
        connect(m_mqtt.get(), &MqttBridge::logLine, this,
                [](const QString &line) { Console::error(QStringLiteral("VaroServe: ") + line); });
        m_mqttClient->start();
    }
    m_engine.start();

    const QString host = m_options.listenAddress.protocol() == QAbstractSocket::IPv6Protocol
            ? QStringLiteral("[%1]").arg(m_options.listenAddress.toString())
            : m_options.listenAddress.toString();
    Console::error(
            QStringLiteral("VaroServe: listening on %1://%2:%3/, sending to %4, store %5")
                    .arg(m_options.tlsCertificate.isEmpty() ? QStringLiteral("http") : QStringLiteral("https"), host)
                    .arg(m_api->port())
                    .arg(m_transport.target(), m_store.path()));
    return running;
}

void Service::wireVerbose()
{
    connect(m_api.get(), &ApiServer::answered, this, [](const QString &method, const QString &path, int status) {
        Console::error(QStringLiteral("VaroServe: %1 %2 %3").arg(method, path).arg(status));
    });
    connect(&m_engine, &BoardEngine::frameSent, this,
            [](int board, const QByteArray &frame, const Showing &, bool failed) {
                Console::error(QStringLiteral("VaroServe: board %1: %2 bytes%3: %4")
                                       .arg(board)
                                       .arg(frame.size())
                                       .arg(failed ? QStringLiteral(" not sent") : QString())
                                       .arg(QString::fromLatin1(frame).replace(u'\r', QLatin1String("\\r"))));
            });
}

void Service::stop()
{
    if (m_api)
        m_api->close();
    if (m_mqtt)
        m_mqtt->stop();
    // What the engine still holds for a busy line goes out as the line
    // frees up, up to the same bound the window gives a closing port.
    const QDeadlineTimer deadline(Transport::closingDrainMs);
    while (m_sink.busy() && m_sink.isOpen() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    const Outcome drained = m_transport.drain(int(qMax<qint64>(0, deadline.remainingTime())));
    // A line that has gone was told of when it went.
    if (!drained.ok() && MessageText::of(drained) != m_lastFailure)
        Console::error(MessageText::of(drained));
    m_control.flushJournal();
    m_store.close();
}
