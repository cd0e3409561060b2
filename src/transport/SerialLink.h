#ifndef SERIALLINK_H
#define SERIALLINK_H

#include "common/Outcome.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

// The serial output channel: 9600 baud, no parity, 8 data bits, 1 stop bit.
// A frame is queued whole or refused whole; what is queued goes out in
// order as the line takes it, and is never dropped while the line lives.
class SerialLink : public QObject
{
    Q_OBJECT

public:
    SerialLink() = default;
    ~SerialLink() override;

    // PortNotAvailable or PortCannotOpen when the port cannot be used.
    Outcome open(int number, const QString &device);
    Outcome write(const QByteArray &frame);
    // Waits until every queued byte has left the computer, at most timeoutMs;
    // what has not left by then is dropped and counted as unsent.
    Outcome drain(int timeoutMs);

    QString device() const { return m_port.portName(); }
    // Bytes handed over that have not left the computer yet.
    qint64 bytesToWrite() const { return m_gone ? 0 : m_port.bytesToWrite() + unsentByDevice(); }

    // /dev/ttyS(#-1) for COM#, or COM# on Windows.
    static QString defaultDevice(int number);

    // Bytes that may wait for a line that does not take them before a
    // further frame is refused: over a minute of output at 9600 baud.
    static constexpr qint64 queueLimit = 64 * 1024;
    // How long the queue may take to leave when the port is released.
    static constexpr int closingDrainMs = 3000;
    // How often an idle line is looked at: one that went away while
    // nothing was sent is noticed within this.
    static constexpr int watchMs = 250;

signals:
    // The line went away while bytes were still waiting for it.
    void lost(const Outcome &outcome);
    // The line went away, noticed between writes; unsent says what it took.
    void gone(const Outcome &outcome);

private:
    void onError(QSerialPort::SerialPortError error);
    void watch();
    void markGone(const QString &reason);
    bool lineIsGone() const;
    qint64 unsentByDevice() const;
    Outcome failure(const QString &description, qint64 unsent = 0) const;

    QSerialPort m_port;
    QTimer m_watch;
    int m_number = 0;
    bool m_gone = false;
    QString m_goneReason;
};

#endif
