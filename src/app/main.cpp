#include "app/modMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    modMain::Main();
    return QApplication::exec();
}
