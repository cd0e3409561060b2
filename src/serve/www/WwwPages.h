#ifndef WWWPAGES_H
#define WWWPAGES_H

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// The web page: plain files compiled into the program, served at "/". It is
// a client of the REST API like any other and has no routes of its own.
namespace WwwPages {

struct File
{
    QByteArray body; // empty: no such file
    QByteArray contentType;
};

File file(const QString &path); // "/", "/app.js", "/app.css"
QStringList paths();

// Every answer carries these: no script or style from anywhere but here and
// none inline, no framing, no referrer.
QList<QPair<QByteArray, QByteArray>> securityHeaders();

} // namespace WwwPages

#endif
