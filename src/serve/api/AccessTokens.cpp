#include "serve/api/AccessTokens.h"

#include "serve/ServiceOutcome.h"

#include <QCryptographicHash>

#include <optional>

namespace {

QByteArray hashOf(const QByteArray &token)
{
    return QCryptographicHash::hash(token, QCryptographicHash::Sha256);
}

std::optional<AccessTokens::Role> roleNamed(const QByteArray &word)
{
    for (const auto role : { AccessTokens::Role::Read, AccessTokens::Role::Operate, AccessTokens::Role::Admin })
        if (AccessTokens::roleName(role).toLatin1() == word)
            return role;
    return std::nullopt;
}

constexpr qsizetype nameLimit = 64;

} // namespace

QString AccessTokens::roleName(Role role)
{
    switch (role) {
    case Role::Read:
        return QStringLiteral("read");
    case Role::Operate:
        return QStringLiteral("operate");
    case Role::Admin:
        return QStringLiteral("admin");
    }
    return {};
}

Outcome AccessTokens::parse(const QString &path, const QByteArray &contents)
{
    m_entries.clear();
    const QList<QByteArray> lines = contents.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const int number = int(i + 1);
        const QList<QByteArray> words = line.simplified().split(' ');
        auto invalid = [&](const QString &why) {
            m_entries.clear();
            return Outcome { ServiceOutcome::TokenLineInvalid, path, {}, 0, why, 0, number };
        };
        Entry entry;
        QByteArray token;
        if (words.size() == 1) {
            // The file of one bare token, as it was before roles.
            if (!m_entries.isEmpty() || std::any_of(lines.cbegin() + i + 1, lines.cend(), [](const QByteArray &l) {
                    return !l.trimmed().isEmpty() && !l.trimmed().startsWith('#');
                }))
                return invalid(QStringLiteral("give NAME ROLE TOKEN on each line, or one bare token alone"));
            entry.caller.name = QStringLiteral("admin");
            token = words.first();
        } else if (words.size() == 3) {
            const std::optional<Role> role = roleNamed(words.at(1));
            if (!role)
                return invalid(QStringLiteral("the role must be read, operate or admin"));
            if (words.first().size() > nameLimit)
                return invalid(QStringLiteral("the name is longer than %1 characters").arg(nameLimit));
            entry.caller = { QString::fromUtf8(words.first()), *role, {} };
            token = words.at(2);
        } else {
            return invalid(QStringLiteral("give NAME ROLE TOKEN"));
        }
        if (token.size() < tokenMinimum) {
            m_entries.clear();
            return { ServiceOutcome::TokenTooShort, path, {}, 0, {}, 0, words.size() == 1 ? 0 : number };
        }
        entry.hash = hashOf(token);
        for (const Entry &other : std::as_const(m_entries)) {
            if (other.caller.name == entry.caller.name)
                return invalid(QStringLiteral("the name \"%1\" is given twice").arg(entry.caller.name));
            if (other.hash == entry.hash)
                return invalid(QStringLiteral("this token is given to \"%1\" already").arg(other.caller.name));
        }
        m_entries.append(entry);
    }
    if (m_entries.isEmpty())
        return { ServiceOutcome::TokenTooShort, path };
    return {};
}

const AccessTokens::Caller *AccessTokens::match(const QByteArray &given) const
{
    const QByteArray hash = hashOf(given);
    const Caller *found = nullptr;
    for (const Entry &entry : m_entries) {
        if (entry.hash == hash)
            found = &entry.caller;
    }
    return found;
}
