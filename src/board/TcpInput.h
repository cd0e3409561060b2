#ifndef TCPINPUT_H
#define TCPINPUT_H

#include "board/BoardInput.h"

#include <QTcpServer>

// What a serial device server's raw TCP port is, seen from the board: each
// connection is one byte stream, as a serial line is.
class TcpInput : public BoardInput
{
    Q_OBJECT

public:
    TcpInput(const QString &host, quint16 port);

    bool open(QString &reason) override;
    QString title() const override;

private:
    void accept();

    QTcpServer m_server;
    QString m_host;
    quint16 m_port;
};

#endif
