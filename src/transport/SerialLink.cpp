#include "transport/SerialLink.h"

#include <QDeadlineTimer>
#include <QThread>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#endif

namespace {
constexpr int highestPortNumber = 32767;
const QString deviceGone = QStringLiteral("The device is no longer available");
} // namespace

SerialLink::~SerialLink()
{
    // QSerialPort::close() drops whatever it still buffers, so a frame sent
    // just before the window closed would be lost without this.
    if (m_port.isOpen() && !m_gone)
        drain(closingDrainMs); // whoever needs to know has drained before
}

QString SerialLink::defaultDevice(int number)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(number);
#else
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}

Outcome SerialLink::open(int number, const QString &device)
{
    m_number = number;
    Outcome outcome { Outcome::PortNotAvailable, {}, CommMode::Serial, number, {} };
    if (number < 1 || number > highestPortNumber) {
        outcome.description = QStringLiteral("Invalid port number");
        return outcome;
    }
    m_port.setPortName(device);
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setStopBits(QSerialPort::OneStop);
    if (m_port.open(QIODevice::WriteOnly)) {
        connect(&m_port, &QSerialPort::errorOccurred, this, &SerialLink::onError);
        connect(&m_watch, &QTimer::timeout, this, &SerialLink::watch);
        m_watch.start(watchMs);
        return {};
    }
    if (m_port.error() != QSerialPort::DeviceNotFoundError)
        outcome.kind = Outcome::PortCannotOpen;
    outcome.description = m_port.errorString();
    return outcome;
}

Outcome SerialLink::write(const QByteArray &frame)
{
    if (m_gone)
        return failure(m_goneReason);
    const qint64 waiting = m_port.bytesToWrite();
    if (waiting > 0 && waiting + frame.size() > queueLimit)
        return failure(QStringLiteral("The line has not taken the %1 bytes sent before").arg(waiting));
    if (m_port.write(frame) != frame.size())
        return failure(m_port.errorString());
    if (lineIsGone()) {
        m_gone = true;
        m_goneReason = deviceGone;
        m_port.clear(QSerialPort::Output);
        return failure(m_goneReason, waiting);
    }
    if (waiting == 0) {
        // Hand the frame over now. A full line answers "try again", which
        // is no failure: the port goes on writing from the event loop.
        const QSignalBlocker quiet(m_port);
        m_port.flush();
        m_port.clearError();
    }
    return {};
}

void SerialLink::onError(QSerialPort::SerialPortError error)
{
    // A full line reports "resource temporarily unavailable" too: only a
    // line that has gone loses what is queued.
    if (m_gone || error == QSerialPort::NoError || !lineIsGone())
        return;
    markGone(m_port.errorString());
}

// Nothing is written to a line that is not used, so nothing else would
// tell that it has gone.
void SerialLink::watch()
{
    if (!m_gone && lineIsGone())
        markGone(deviceGone);
}

void SerialLink::markGone(const QString &reason)
{
    m_gone = true;
    m_goneReason = reason;
    m_watch.stop();
    const qint64 unsent = m_port.bytesToWrite();
    m_port.clear(QSerialPort::Output);
    if (unsent > 0)
        emit lost(failure(m_goneReason, unsent));
    emit gone(failure(m_goneReason, unsent));
}

Outcome SerialLink::drain(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_gone && m_port.bytesToWrite() > 0 && !deadline.hasExpired())
        m_port.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime())));
    while (!m_gone && !lineIsGone() && unsentByDevice() > 0 && !deadline.hasExpired())
        QThread::msleep(5);
    if (m_gone || lineIsGone())
        return failure(m_gone ? m_goneReason : deviceGone, m_port.bytesToWrite());
    const qint64 unsent = m_port.bytesToWrite() + unsentByDevice();
    if (unsent == 0)
        return {};
    // Given up: what is still queued here must never go out later, when
    // whoever was told of the failure may have sent it again. Closing drops
    // the program's queue and leaves what the system holds to the system;
    // clearing would also throw away bytes a terminal's reader has not read.
    m_gone = true;
    m_goneReason = QStringLiteral("The line did not take the frames in time");
    m_port.close();
    return failure(m_goneReason, unsent);
}

bool SerialLink::lineIsGone() const
{
#ifdef Q_OS_UNIX
    pollfd line { int(m_port.handle()), POLLOUT, 0 };
    return ::poll(&line, 1, 0) > 0 && (line.revents & (POLLERR | POLLHUP | POLLNVAL));
#else
    return false;
#endif
}

// Bytes the driver holds that have not yet left on the wire.
qint64 SerialLink::unsentByDevice() const
{
#ifdef Q_OS_UNIX
    int queued = 0;
    if (::ioctl(int(m_port.handle()), TIOCOUTQ, &queued) == 0)
        return queued;
#endif
    return 0;
}

Outcome SerialLink::failure(const QString &description, qint64 unsent) const
{
    Outcome outcome { Outcome::SendFailed, {}, CommMode::Serial, m_number, description };
    outcome.unsent = unsent;
    return outcome;
}
