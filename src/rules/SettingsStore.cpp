#include "rules/SettingsStore.h"

#include "common/AppInfo.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace SettingsStore {

QString fileName()
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/'
            + AppInfo::organization + u'/' + AppInfo::application + QStringLiteral(".conf");
    const QFileInfo file(path);
    return !file.exists() || file.isFile() ? path : QString();
}

}
