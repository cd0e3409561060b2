#include "serve/api/MetricsController.h"

#include "engine/BoardEngine.h"
#include "engine/Clock.h"
#include "serve/BoardControl.h"
#include "serve/TransportSink.h"
#include "serve/api/ApiServer.h"
#include "store/ServeStore.h"

namespace {

// One metric: its HELP and TYPE lines, then its samples.
class Exposition
{
public:
    void family(const char *name, const char *type, const char *help)
    {
        m_name = name;
        m_text += QByteArray("# HELP ") + name + ' ' + help + "\n# TYPE " + name + ' ' + type + '\n';
    }
    void sample(qint64 value, const QByteArray &labels = {}) { line(QByteArray::number(value), labels); }
    void sample(double value, const QByteArray &labels) { line(QByteArray::number(value, 'f', 3), labels); }
    static QByteArray board(int number) { return "board=\"" + QByteArray::number(number) + '"'; }
    QByteArray text() const { return m_text; }

private:
    void line(const QByteArray &value, const QByteArray &labels)
    {
        m_text += m_name + (labels.isEmpty() ? QByteArray() : '{' + labels + '}') + ' ' + value + '\n';
    }

    QByteArray m_name;
    QByteArray m_text;
};

} // namespace

MetricsController::MetricsController(const BoardControl &control, const TransportSink &line, const ServeStore &store,
                                     QObject *parent)
    : QObject(parent)
    , m_control(control)
    , m_line(line)
    , m_store(store)
{
    connect(&control.engine(), &BoardEngine::frameSent, this,
            [this](int board, const QByteArray &, const Showing &, bool failed) { frameSent(board, failed); });
}

void MetricsController::addRoutes(ApiServer &server)
{
    server.route(QHttpServerRequest::Method::Get, QStringLiteral("/metrics"),
                 [this](const ApiRequest &) { return metrics(); });
    connect(&server, &ApiServer::answered, this,
            [this](const QString &, const QString &, int status) { answered(status); });
}

void MetricsController::frameSent(int board, bool failed)
{
    ++m_frames[board][failed ? 1 : 0];
}

void MetricsController::answered(int status)
{
    if (status >= 100 && status < 600)
        ++m_answers[std::size_t(status / 100 - 1)];
}

ApiReply MetricsController::metrics() const
{
    Exposition out;
    out.family("varoserve_frames_sent_total", "counter", "Frames the line took, per board.");
    for (auto it = m_frames.cbegin(); it != m_frames.cend(); ++it)
        out.sample(it.value()[0], Exposition::board(it.key()));
    out.family("varoserve_frames_failed_total", "counter", "Frames the line did not take, per board.");
    for (auto it = m_frames.cbegin(); it != m_frames.cend(); ++it)
        out.sample(it.value()[1], Exposition::board(it.key()));
    out.family("varoserve_last_frame_age_seconds", "gauge", "Seconds since the board's last frame went out.");
    const BoardEngine &engine = m_control.engine();
    const QDateTime now = m_control.clock().now();
    for (int board = 0; board < BoardEngine::boardCount; ++board) {
        if (const QDateTime sent = engine.lastSent(board).time; sent.isValid())
            out.sample(double(qMax<qint64>(0, sent.msecsTo(now))) / 1000.0, Exposition::board(board));
    }
    out.family("varoserve_line_bytes_waiting", "gauge", "Bytes written to the line and not yet sent.");
    out.sample(m_line.bytesWaiting());
    out.family("varoserve_line_open", "gauge", "1 while the line is open.");
    out.sample(qint64(m_line.isOpen()));
    out.family("varoserve_alerts_live", "gauge", "Live alerts, counted once per board they show on.");
    qint64 alerts = 0;
    for (const int board : engine.boards())
        alerts += engine.alerts(board).size();
    out.sample(alerts);
    out.family("varoserve_http_requests_total", "counter", "HTTP requests answered, by status class.");
    for (std::size_t i = 0; i < m_answers.size(); ++i)
        out.sample(m_answers.at(i), "code=\"" + QByteArray::number(qulonglong(i + 1)) + "xx\"");
    out.family("varoserve_mqtt_connected", "gauge", "1 while connected to the MQTT broker.");
    out.sample(qint64(m_busConnected));
    out.family("varoserve_mqtt_messages_refused_total", "counter", "MQTT messages refused as invalid.");
    out.sample(m_busRefused);
    out.family("varoserve_store_commit_failures_total", "counter", "Changes the store failed to commit.");
    out.sample(m_store.commitFailures());
    ApiReply reply { 200, out.text(), "text/plain; version=0.0.4; charset=utf-8", {} };
    return reply;
}
