#include "serve/TransportSink.h"

#include "transport/Transport.h"
#include "transport/TransportArgument.h"

#include <cmath>

TransportSink::TransportSink(Transport &transport, QObject *parent)
    : QObject(parent)
    , m_transport(transport)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TransportSink::check);
    connect(&transport, &Transport::gone, this, [this](const Outcome &outcome) {
        m_lost = true;
        m_lastFailure = outcome;
        emit failed(outcome);
    });
    connect(&transport, &Transport::dropped, this, [this](const Outcome &outcome) {
        m_wireFreeAtMs = 0; // what the connection held is gone with it
        m_lastFailure = outcome;
        emit failed(outcome);
    });
    connect(&transport, &Transport::connected, this, [this] {
        emit reconnected({ Outcome::TcpConnected, TransportArgument::address(m_transport.host(), m_transport.port()) });
    });
}

bool TransportSink::isOpen() const
{
    return m_transport.isConnected() && !m_lost;
}

qint64 TransportSink::wireMsLeft() const
{
    if (!m_transport.isStream())
        return 0;
    return qint64(std::ceil(m_wireFreeAtMs - double(m_clock.elapsed())));
}

bool TransportSink::busy() const
{
    // Between two connections frames wait in the engine, the newest per board.
    return !m_transport.isConnected() || m_transport.bytesToWrite() > 0 || wireMsLeft() > 0;
}

qint64 TransportSink::bytesWaiting() const
{
    return qMax(m_transport.bytesToWrite(), qint64(double(qMax<qint64>(0, wireMsLeft())) / byteMs));
}

bool TransportSink::write(int board, const QByteArray &frame)
{
    Q_UNUSED(board);
    const Outcome sent = m_transport.send(frame);
    if (!sent.ok()) {
        m_lost = m_lost || m_transport.mode() == CommMode::Serial;
        m_lastFailure = sent;
        emit failed(sent);
        return false;
    }
    m_wireFreeAtMs = qMax(m_wireFreeAtMs, double(m_clock.elapsed())) + double(frame.size()) * byteMs;
    if (busy())
        m_timer.start(int(qBound(qint64(1), wireMsLeft(), qint64(1000))));
    return true;
}

void TransportSink::check()
{
    if (!busy())
        emit lineReady();
    else
        m_timer.start(int(qBound(qint64(1), wireMsLeft(), qint64(1000))));
}
