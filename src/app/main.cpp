#include "app/CommandLine.h"
#include "app/modMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Qt would take options such as -platform, -style or -reverse from the
    // command line and act on them; every argument is the program's own.
    // The platform still comes from QT_QPA_PLATFORM.
    const QString commandLine = CommandLine::text(argc, argv);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    modMain::Main(commandLine);
    return QApplication::exec();
}
