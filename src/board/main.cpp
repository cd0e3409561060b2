#include "board/BoardArguments.h"
#include "board/BoardInput.h"
#include "board/BoardReporter.h"
#include "board/BoardSession.h"
#include "board/BoardWindow.h"
#include "board/PtyInput.h"
#include "common/Console.h"
#include "common/SignalQuitter.h"

#include <QApplication>

#include <cstdio>
#include <memory>

namespace {

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char *argv[])
{
    const BoardArguments arguments = BoardArguments::parse(argumentsOf(argc, argv));
    if (arguments.help) {
        std::fputs(qPrintable(BoardArguments::usage()), stdout);
        return 0;
    }
    // As VaroSend says it: the output failing is the run failing.
    if (arguments.version)
        return Console::out(QStringLiteral("VaroBoard %1.%2").arg(VMB_VERSION_MAJOR).arg(VMB_VERSION_MINOR)) ? 0 : 1;
    if (arguments.error) {
        std::fprintf(stderr, "VaroBoard: %s\n\n%s", qPrintable(*arguments.error), qPrintable(BoardArguments::usage()));
        return 2;
    }
    // The log and the picture need no display, so they get no GUI application.
    std::unique_ptr<QCoreApplication> app;
    if (arguments.needsWindow())
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    SignalQuitter quitter;

    const std::unique_ptr<BoardInput> input = BoardInput::create(arguments);
    QString reason;
    if (!input->open(reason)) {
        std::fprintf(stderr, "VaroBoard: cannot open %s: %s\n", qPrintable(input->title()), qPrintable(reason));
        return 1;
    }
    if (const auto *pty = qobject_cast<PtyInput *>(input.get()))
        BoardReporter::writeOut(pty->devicePath().toLocal8Bit() + '\n');

    BoardSession session(arguments.board);
    session.attach(input.get());
    BoardReporter reporter(arguments, session);
    QObject::connect(input.get(), &BoardInput::lost, [&arguments](const QString &lostReason) {
        std::fprintf(stderr, "VaroBoard: the input stopped: %s\n", qPrintable(lostReason));
        if (!arguments.needsWindow())
            QCoreApplication::exit(1);
    });
    std::unique_ptr<BoardWindow> window;
    if (arguments.needsWindow()) {
        window = std::make_unique<BoardWindow>(arguments, *input, session);
        window->show();
    }
    return QCoreApplication::exec();
}
