#ifndef TRANSPORT_H
#define TRANSPORT_H

#include "transport/SerialLink.h"
#include "transport/UdpLink.h"

#include <QByteArray>
#include <QString>

// The one output channel of a run, chosen by the command line. It is
// released only when its owner is destroyed.
class Transport
{
public:
    enum Mode { None = 0, Serial = 1, Udp = 2 };

    // Returns the message to show when no channel could be set up.
    QString open(const QString &commandLine);
    // Returns the message to show when the channel refused the frame.
    QString send(const QByteArray &frame);

    Mode mode() const { return m_mode; }

private:
    Mode m_mode = None;
    int m_port = 0;
    SerialLink m_serial;
    UdpLink m_udp;
};

#endif
