#include "serve/www/WwwPages.h"

#include <QFile>

namespace {

struct Known
{
    const char *path;
    const char *resource;
    const char *type;
};

constexpr Known known[] = {
    { "/", ":/www/index.html", "text/html; charset=utf-8" },
    { "/app.js", ":/www/app.js", "text/javascript; charset=utf-8" },
    { "/app.css", ":/www/app.css", "text/css; charset=utf-8" },
};

} // namespace

namespace WwwPages {

File file(const QString &path)
{
    for (const Known &entry : known) {
        if (path != QLatin1String(entry.path))
            continue;
        QFile resource(QString::fromLatin1(entry.resource));
        if (resource.open(QIODevice::ReadOnly))
            return { resource.readAll(), entry.type };
    }
    return {};
}

QStringList paths()
{
    QStringList all;
    for (const Known &entry : known)
        all << QString::fromLatin1(entry.path);
    return all;
}

QList<QPair<QByteArray, QByteArray>> securityHeaders()
{
    return {
        { "Content-Security-Policy",
          "default-src 'self'; script-src 'self'; style-src 'self'; img-src 'self' blob: data:; connect-src 'self'; "
          "object-src 'none'; base-uri 'none'; form-action 'self'; frame-ancestors 'none'" },
        { "Referrer-Policy", "no-referrer" },
    };
}

} // namespace WwwPages
