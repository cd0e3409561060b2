#ifndef SETTINGSSTORE_H
#define SETTINGSSTORE_H

#include <QString>

// The per-user settings file: ~/.config/VaroMsgBoard/VaroMsgBoard.conf.
namespace SettingsStore {

// The file to hand to QSettings (IniFormat). Empty when that name holds
// something other than a regular file: a FIFO would block the program and
// a device would be read for ever, so the store then reads as empty and
// writes nothing.
QString fileName();

} // namespace SettingsStore

#endif
