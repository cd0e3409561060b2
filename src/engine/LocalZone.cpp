#include "engine/LocalZone.h"

#include <sys/stat.h>

#include <ctime>

namespace {

// The file TZ names, or empty: TZ unset (the library looks at /etc/localtime
// itself), empty (UTC) or a rule of its own.
QByteArray zoneFile()
{
    QByteArray tz = qgetenv("TZ");
    if (tz.startsWith(':'))
        tz.remove(0, 1);
    if (tz.isEmpty() || tz.startsWith('/'))
        return tz;
    const QByteArray folder = qEnvironmentVariableIsEmpty("TZDIR") ? "/usr/share/zoneinfo" : qgetenv("TZDIR");
    return folder + '/' + tz;
}

// What changes when the file is written or replaced; empty without a file.
QByteArray identity(const QByteArray &path)
{
    struct stat info = {};
    if (path.isEmpty() || ::stat(path.constData(), &info) != 0)
        return {};
    return QByteArray::number(qulonglong(info.st_dev)) + ':' + QByteArray::number(qulonglong(info.st_ino)) + ':'
            + QByteArray::number(qlonglong(info.st_mtim.tv_sec)) + '.'
            + QByteArray::number(qlonglong(info.st_mtim.tv_nsec)) + ':' + QByteArray::number(qlonglong(info.st_size));
}

int offsetAt(qint64 utcSecs)
{
    const std::time_t time = std::time_t(utcSecs);
    std::tm parts = {};
    return localtime_r(&time, &parts) ? int(parts.tm_gmtoff) : 0;
}

} // namespace

QDateTime LocalZone::local(const QDateTime &instant)
{
    if (!instant.isValid())
        return instant;
    const qint64 msecs = instant.toMSecsSinceEpoch();
    const qint64 minute = msecs >= 0 ? msecs / 60000 : (msecs + 1) / 60000 - 1;
    if (minute != m_minute) {
        m_minute = minute;
        reread();
        m_offset = offsetAt(minute * 60);
    }
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::OffsetFromUTC, m_offset);
}

// The library reads a file TZ names again only when TZ itself changes: a
// file written or replaced under the same name is read again by naming
// another zone for a moment. An unset TZ it checks by itself.
void LocalZone::reread()
{
    const QByteArray file = zoneFile();
    const QByteArray seen = identity(file);
    if (!file.isEmpty() && seen != m_fileSeen) {
        const QByteArray tz = qgetenv("TZ");
        qputenv("TZ", "UTC0");
        tzset();
        qputenv("TZ", tz);
    }
    m_fileSeen = seen;
    tzset();
}
