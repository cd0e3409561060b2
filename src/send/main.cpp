#include "common/Console.h"
#include "send/SendOptions.h"
#include "send/SendRun.h"

#include <QCoreApplication>
#include <QFile>

#include <csignal>

int main(int argc, char *argv[])
{
    // A reader of standard output that goes away must not stop a send
    // halfway; a failed write is reported where it matters instead.
    std::signal(SIGPIPE, SIG_IGN);
    const bool inputOpen = Console::holdStandardStreams();
    QCoreApplication app(argc, argv);
    const SendOptions::Parsed parsed = SendOptions::parse(QCoreApplication::arguments());
    switch (parsed.action) {
    case SendOptions::ShowHelp:
    case SendOptions::ShowVersion:
        return Console::out(parsed.text.trimmed()) ? SendRun::Sent : SendRun::Failed;
    case SendOptions::UsageError:
        Console::error(parsed.text);
        return SendRun::BadUsage;
    case SendOptions::Run:
        break;
    }
    QFile input;
    if (inputOpen)
        input.open(stdin, QIODevice::ReadOnly);
    return SendRun(parsed.request).exec(input);
}
