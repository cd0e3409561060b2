#include "common/Console.h"
#include "common/SignalQuitter.h"
#include "serve/ArchiveCommand.h"
#include "serve/ServeOptions.h"
#include "serve/Service.h"
#include "serve/SystemdNotifier.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    Console::holdStandardStreams();
    QCoreApplication app(argc, argv);
    const ServeOptions::Parsed options = ServeOptions::parse(QCoreApplication::arguments());
    switch (options.action) {
    case ServeOptions::ShowHelp:
    case ServeOptions::ShowVersion:
        return Console::out(options.text.trimmed()) ? Service::Stopped : Service::Failed;
    case ServeOptions::UsageError:
        Console::error(options.text);
        return Service::BadUsage;
    case ServeOptions::Export:
    case ServeOptions::Import:
        return ArchiveCommand::run(options);
    case ServeOptions::Run:
        break;
    }
    SignalQuitter quitter;
    Service service(options);
    if (const int failed = service.start(); failed != Service::running)
        return failed;
    SystemdNotifier systemd;
    systemd.ready();
    const int code = QCoreApplication::exec();
    systemd.stopping();
    service.stop();
    return code;
}
