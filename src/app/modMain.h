#ifndef MODMAIN_H
#define MODMAIN_H

#include <QString>

class frmMain;

// The start of the program: the splash window covers the loading of the
// main window for at least one second, then hands over to it.
namespace modMain {

frmMain *Main(const QString &commandLine);

}

#endif
