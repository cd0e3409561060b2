#ifndef SERIALINPUT_H
#define SERIALINPUT_H

#include "board/BoardInput.h"

#include <QSerialPort>

// A real serial port, read only, for a bench with a null-modem cable.
class SerialInput : public BoardInput
{
    Q_OBJECT

public:
    explicit SerialInput(const QString &device);

    bool open(QString &reason) override;
    QString title() const override { return m_device; }
    QString lineSettings() const override { return QStringLiteral("9600 8N1"); }

private:
    void readAvailable();
    void checkError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    QString m_device;
};

#endif
