#include "rules/PortSettings.h"

#include "rules/SettingsStore.h"

#include <QSettings>

namespace PortSettings {

QString mapped(int number)
{
#ifdef Q_OS_WIN
    Q_UNUSED(number);
    return {};
#else
    const QSettings store(SettingsStore::fileName(), QSettings::IniFormat);
    return store.value(QStringLiteral("Ports/COM%1").arg(number)).toString();
#endif
}

} // namespace PortSettings
