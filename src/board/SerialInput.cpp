#include "board/SerialInput.h"

SerialInput::SerialInput(const QString &device)
    : m_device(device)
{
    m_port.setPortName(device);
    connect(&m_port, &QSerialPort::readyRead, this, &SerialInput::readAvailable);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialInput::checkError);
}

bool SerialInput::open(QString &reason)
{
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    if (m_port.open(QIODevice::ReadOnly))
        return true;
    reason = m_port.errorString();
    return false;
}

void SerialInput::readAvailable()
{
    emit received(m_port.readAll(), m_device);
}

void SerialInput::checkError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::ResourceError && m_port.isOpen()) {
        const QString reason = m_port.errorString();
        m_port.close();
        emit lost(reason);
    }
}
