#ifndef PORTSETTINGS_H
#define PORTSETTINGS_H

#include <QString>

// Section [Ports] of the settings store: on Linux, COM# may name a device
// other than /dev/ttyS(#-1), such as a USB adapter.
namespace PortSettings {

// The device configured for COM<number>, or an empty text.
QString mapped(int number);

} // namespace PortSettings

#endif
