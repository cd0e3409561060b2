#ifndef METRICSCONTROLLER_H
#define METRICSCONTROLLER_H

#include "serve/api/ApiReply.h"

#include <QMap>
#include <QObject>

#include <array>

class ApiServer;
class BoardControl;
class ServeStore;
class TransportSink;

// /metrics: Prometheus' text format (0.0.4). What happens between scrapes
// (frames, answers, refused bus messages) is counted here as it happens;
// the rest is read at the scrape.
class MetricsController : public QObject
{
    Q_OBJECT

public:
    MetricsController(const BoardControl &control, const TransportSink &line, const ServeStore &store,
                      QObject *parent = nullptr);
    void addRoutes(ApiServer &server); // counts the server's answers too

    // The bus, told by whoever runs it; without one, 0 and 0.
    void busConnected(bool connected) { m_busConnected = connected; }
    void busRefused() { ++m_busRefused; }

private:
    void frameSent(int board, bool failed);
    void answered(int status);
    ApiReply metrics() const;

    const BoardControl &m_control;
    const TransportSink &m_line;
    const ServeStore &m_store;
    QMap<int, std::array<qint64, 2>> m_frames; // board: sent, not sent
    std::array<qint64, 5> m_answers {}; // 1xx .. 5xx
    bool m_busConnected = false;
    qint64 m_busRefused = 0;
};

#endif
