#include "CommandLine.h"
#include "frmMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    auto *window = new frmMain(CommandLine::text(QApplication::arguments()));
    window->Form_Load();
    window->show();
    return QApplication::exec();
}
