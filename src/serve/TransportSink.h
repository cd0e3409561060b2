#ifndef TRANSPORTSINK_H
#define TRANSPORTSINK_H

#include "common/Outcome.h"
#include "engine/FrameSink.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class Transport;

// The engine's line: the run's transport. A serial or TCP line counts as busy
// while bytes wait in the computer or, by the time 9600 baud needs for them,
// may still be on their way: a pseudo-terminal, a USB adapter or a device
// server takes kilobytes at once and would otherwise hold a backlog of frames
// nobody asked for. A TCP line between two connections is busy too.
class TransportSink : public QObject, public FrameSink
{
    Q_OBJECT

public:
    explicit TransportSink(Transport &transport, QObject *parent = nullptr);

    bool busy() const override;
    bool write(int board, const QByteArray &frame) override;

    const Transport &transport() const { return m_transport; }
    bool isOpen() const; // false once a serial line has gone, and while TCP is away
    bool isGone() const { return m_lost; } // a serial line, for good
    qint64 bytesWaiting() const;
    Outcome lastFailure() const { return m_lastFailure; }

    // 8N1 at 9600 baud: ten bits a byte.
    static constexpr double byteMs = 10 * 1000.0 / 9600;

signals:
    void lineReady(); // busy() turned false after a write
    void failed(const Outcome &outcome);
    void reconnected(const Outcome &outcome); // TcpConnected: the line takes frames again

private:
    void check();
    qint64 wireMsLeft() const;

    Transport &m_transport;
    QElapsedTimer m_clock;
    double m_wireFreeAtMs = 0;
    QTimer m_timer;
    Outcome m_lastFailure;
    bool m_lost = false;
};

#endif
