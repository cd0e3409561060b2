#include "transport/SerialLink.h"

#include "common/AppInfo.h"

#include <QDeadlineTimer>
#include <QSettings>

namespace {
constexpr int highestPortNumber = 32767;
constexpr int drainTimeoutMs = 3000;
}

SerialLink::~SerialLink()
{
    // QSerialPort::close() drops whatever it still buffers, so a frame sent
    // just before the window closed would be lost without this.
    const QDeadlineTimer deadline(drainTimeoutMs);
    while (m_port.isOpen() && m_port.bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!m_port.waitForBytesWritten(int(deadline.remainingTime())))
            break;
    }
}

QString SerialLink::deviceFor(int number)
{
    const QString name = QStringLiteral("COM%1").arg(number);
#ifdef Q_OS_WIN
    return name;
#else
    const QSettings settings(AppInfo::organization, AppInfo::application);
    const QString mapped = settings.value(QStringLiteral("Ports/") + name).toString();
    return mapped.isEmpty() ? QStringLiteral("/dev/ttyS%1").arg(number - 1) : mapped;
#endif
}

SerialLink::OpenResult SerialLink::open(int number)
{
    if (number < 1 || number > highestPortNumber)
        return { Failure::SetUp, QStringLiteral("Invalid port number") };

    m_port.setPortName(deviceFor(number));
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setStopBits(QSerialPort::OneStop);
    if (m_port.open(QIODevice::WriteOnly))
        return {};

    const Failure failure = m_port.error() == QSerialPort::DeviceNotFoundError
            ? Failure::SetUp : Failure::Open;
    return { failure, m_port.errorString() };
}

QString SerialLink::write(const QByteArray &bytes)
{
    m_port.clearError();
    const bool queued = m_port.write(bytes) == bytes.size();
    // write() only buffers: hand the frame to the system now.
    if (queued)
        m_port.flush();
    if (queued && m_port.error() == QSerialPort::NoError)
        return {};

    const QString description = m_port.errorString();
    // The operator is told this frame failed; it must not go out later
    // glued to the next one.
    m_port.clear(QSerialPort::Output);
    return description;
}
