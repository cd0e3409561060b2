#include "send/SendRun.h"

#include "common/Console.h"
#include "messages/TypedText.h"
#include "rules/MessageText.h"
#include "rules/PortSettings.h"
#include "send/FramePrint.h"
#include "send/InputLines.h"
#include "transport/Transport.h"
#include "transport/TransportArgument.h"

#include <QThread>

#include <climits>

namespace {

// Standard input to its end; if it cannot be read, why.
bool readWhole(QFile &input, QByteArray &bytes, QString &problem)
{
    if (!input.isOpen()) {
        problem = QStringLiteral("It is closed.");
        return false;
    }
    while (bytes.size() <= SendRun::inputLimit) {
        const QByteArray chunk = input.read(SendRun::inputLimit + 1 - bytes.size()); // a pipe gives what it has
        if (chunk.isEmpty())
            break;
        bytes += chunk;
    }
    if (input.error() != QFileDevice::NoError)
        problem = input.errorString();
    else if (bytes.size() > SendRun::inputLimit)
        problem = QStringLiteral("It holds more than %1 bytes; send it in parts.").arg(SendRun::inputLimit);
    else
        return true;
    return false;
}

} // namespace

SendRun::SendRun(SendRequest request)
    : m_request(std::move(request))
{ }

int SendRun::drainTimeoutMs(qsizetype frameSize)
{
    return int(qMin<qint64>(INT_MAX, 5000 + 2 * qint64(frameSize)));
}

SendRun::ExitCode SendRun::exec(QFile &input)
{
    // Like the window, a transport argument it does not understand leaves it
    // with no transport: the same text, and the same status as a port that
    // cannot be opened. A TCP argument that lacks a part is bad usage.
    if (const TransportArgument argument = TransportArgument::parse(m_request.transport);
        argument.mode == CommMode::None) {
        Console::error(MessageText::of({ argument.refusal, m_request.transport }));
        return argument.isMalformed() ? BadUsage : Failed;
    }
    if (!fieldsPass() || !readMessages(input))
        return BadUsage;
    return m_request.dryRun ? print() : send();
}

bool SendRun::fieldsPass() const
{
    const Sending::Result checked = Sending::prepare(m_request.fields);
    for (const Outcome &problem : checked.problems)
        Console::error(MessageText::of(problem));
    return checked.ok();
}

// Every line is read before the first frame goes out, so a script never
// leaves half its messages on the board because of its own input.
bool SendRun::readMessages(QFile &input)
{
    if (!m_request.readsInput) {
        m_messages = { TypedText::withoutControls(m_request.fields.message) };
        return true;
    }
    QByteArray bytes;
    QString problem;
    if (!readWhole(input, bytes, problem)) {
        Console::error(QStringLiteral("VaroSend: Unable to read standard input\r") + problem);
        return false;
    }
    m_messages = InputLines::split(bytes);
    return true;
}

QByteArray SendRun::frameOf(const QString &message) const
{
    Sending::Fields fields = m_request.fields;
    fields.message = message;
    return Sending::prepare(fields).frame;
}

SendRun::ExitCode SendRun::print() const
{
    bool written = true;
    for (const QString &message : m_messages) {
        const QByteArray frame = frameOf(message);
        written = Console::out(FramePrint::shown(frame)) && written;
        if (m_request.hex)
            written = Console::out(FramePrint::hex(frame)) && written;
    }
    if (!written)
        Console::error(QStringLiteral("VaroSend: Unable to write to standard output"));
    return written ? Sent : Failed;
}

SendRun::ExitCode SendRun::send() const
{
    Transport transport;
    const Outcome opened = transport.open(m_request.transport, PortSettings::mapped);
    if (!opened.ok()) {
        Console::error(MessageText::of(opened));
        return Failed;
    }
    for (qsizetype i = 0; i < m_messages.size(); ++i) {
        if (i > 0 && m_request.intervalMs > 0)
            QThread::msleep(ulong(m_request.intervalMs));
        if (!sendOne(transport, i))
            return Failed;
    }
    return Sent;
}

// What is printed after a frame has gone is a courtesy: a closed pipe on
// standard output does not undo a frame that is already on the board.
bool SendRun::sendOne(Transport &transport, qsizetype index) const
{
    Sending::Fields fields = m_request.fields;
    fields.message = m_messages.at(index);
    const Sending::Result result = Sending::send(transport, fields);
    Outcome outcome = result.ok() ? transport.drain(drainTimeoutMs(result.frame.size())) : result.problems.constLast();
    outcome.unsent = 0; // what did not leave belongs to this frame: every earlier one has drained
    if (!outcome.ok()) {
        stopAt(index, MessageText::of(outcome));
        return false;
    }
    if (m_request.hex)
        Console::out(FramePrint::hex(result.frame));
    if (m_request.verbose)
        Console::out(QStringLiteral("%1 bytes to %2").arg(result.frame.size()).arg(transport.target()));
    return true;
}

void SendRun::stopAt(qsizetype index, const QString &text) const
{
    if (!m_request.readsInput)
        return Console::error(text);
    const QString sent = index == 0 ? QStringLiteral("no line was sent")
            : index == 1            ? QStringLiteral("line 1 was sent")
                                    : QStringLiteral("lines 1 to %1 were sent").arg(index);
    Console::error(text + QStringLiteral("\rStopped at line %1 of standard input: %2.").arg(index + 1).arg(sent));
}
