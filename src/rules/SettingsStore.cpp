#include "rules/SettingsStore.h"

#include "common/AppInfo.h"
#include "common/NativePath.h"

#include <QFileInfo>

namespace SettingsStore {

QString fileName()
{
    const QString path = NativePath::configFolder() + u'/' + AppInfo::organization + u'/' + AppInfo::application
            + QStringLiteral(".conf");
    const QFileInfo file(path);
    return !file.exists() || file.isFile() ? path : QString();
}

} // namespace SettingsStore
