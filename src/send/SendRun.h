#ifndef SENDRUN_H
#define SENDRUN_H

#include "send/SendRequest.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>

class Transport;

// One run of VaroSend after its command line has been read: check
// everything, then send (or print) every frame in order.
class SendRun
{
public:
    enum ExitCode { Sent = 0, Failed = 1, BadUsage = 2 };

    explicit SendRun(SendRequest request);

    // input: standard input, read whole when the request says so.
    ExitCode exec(QFile &input);

    // A serial frame that the line has not taken by then is a failure:
    // 9600 baud moves about one byte a millisecond; twice that, and time
    // for a slow adapter.
    static int drainTimeoutMs(qsizetype frameSize);

    // Hours of a serial line's time, yet little memory: more is a mistake.
    static constexpr qint64 inputLimit = 16 * 1024 * 1024;

private:
    bool fieldsPass() const;
    bool readMessages(QFile &input);
    QByteArray frameOf(const QString &message) const;
    ExitCode print() const;
    ExitCode send() const;
    bool sendOne(Transport &transport, qsizetype index) const;
    void stopAt(qsizetype index, const QString &text) const;

    SendRequest m_request;
    QStringList m_messages;
};

#endif
