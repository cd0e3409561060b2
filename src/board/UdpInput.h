#ifndef UDPINPUT_H
#define UDPINPUT_H

#include "board/BoardInput.h"

#include <QUdpSocket>

class UdpInput : public BoardInput
{
    Q_OBJECT

public:
    explicit UdpInput(quint16 port);

    bool open(QString &reason) override;
    QString title() const override;
    bool isDatagram() const override { return true; }

private:
    void readPending();

    QUdpSocket m_socket;
    quint16 m_port;
};

#endif
