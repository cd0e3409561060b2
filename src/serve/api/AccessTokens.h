#ifndef ACCESSTOKENS_H
#define ACCESSTOKENS_H

#include "common/Outcome.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>

// Who may do what over the API. The token file holds lines "NAME ROLE TOKEN"
// (# starts a comment line); a file of one bare token, as it was before
// roles, is one admin named "admin". Without a file there is no check, and
// every caller is "local" with every right.
class AccessTokens
{
public:
    // Each role may do what the ones before it may.
    enum class Role { Read, Operate, Admin };
    struct Caller
    {
        QString name;
        Role role = Role::Admin;
        QHostAddress address;
    };

    static constexpr int tokenMinimum = 16;
    static QString roleName(Role role);

    bool isEmpty() const { return m_entries.isEmpty(); }
    // The file's lines; TokenTooShort or TokenLineInvalid name the line.
    Outcome parse(const QString &path, const QByteArray &contents);
    // The caller the token names, or none. Every entry's hash is compared,
    // so the time taken says nothing about the token.
    const Caller *match(const QByteArray &given) const;

private:
    struct Entry
    {
        Caller caller;
        QByteArray hash;
    };
    QList<Entry> m_entries;
};

#endif
