#ifndef SERIALLINK_H
#define SERIALLINK_H

#include <QByteArray>
#include <QSerialPort>
#include <QString>

// The serial output channel: 9600 baud, no parity, 8 data bits, 1 stop bit.
class SerialLink
{
public:
    SerialLink() = default;
    ~SerialLink();

    enum class Failure { None, SetUp, Open };
    struct OpenResult
    {
        Failure failure = Failure::None;
        QString description;
    };

    OpenResult open(int number);
    // Returns the system's description of a failed write, or an empty text.
    QString write(const QByteArray &bytes);

    // COM# on Windows; on Linux the device named under [Ports] COM# in the
    // settings store, else /dev/ttyS(#-1).
    static QString deviceFor(int number);

private:
    Q_DISABLE_COPY(SerialLink)
    QSerialPort m_port;
};

#endif
