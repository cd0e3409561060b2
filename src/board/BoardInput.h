#ifndef BOARDINPUT_H
#define BOARDINPUT_H

#include "board/BoardArguments.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

// Where the board's bytes come from: a UDP port, a pseudo-terminal, a
// serial port or the connections to a TCP port.
class BoardInput : public QObject
{
    Q_OBJECT

public:
    static std::unique_ptr<BoardInput> create(const BoardArguments &arguments);

    // Whether the input opened; if not, the system's reason.
    virtual bool open(QString &reason) = 0;
    // "UDP 5000", "PTY /dev/pts/7", "/dev/ttyUSB1", "TCP 127.0.0.1:5000"
    virtual QString title() const = 0;
    // Each arrival is a datagram that stands alone, not a piece of a stream.
    virtual bool isDatagram() const { return false; }
    // The serial line's settings as "9600 8N1"; empty where there is no line.
    virtual QString lineSettings() const { return {}; }

signals:
    void received(const QByteArray &bytes, const QString &source);
    void lost(const QString &reason);
    // The stream from source ended; another one starts afresh.
    void ended(const QString &source);
};

#endif
