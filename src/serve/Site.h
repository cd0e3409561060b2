#ifndef SITE_H
#define SITE_H

#include "store/ServeStore.h"

#include <QList>
#include <QMap>
#include <QString>

// The boards of a line as people know them: a name each, and the groups a
// change can be sent to. "all" stands for every declared board and every
// board with content.
class Site
{
public:
    using Declaration = ServeStore::Declaration;

    static inline const QString all = QStringLiteral("all");

    void load(const QMap<int, Declaration> &declared) { m_declared = declared; }
    void declare(int board, const Declaration &declaration) { m_declared.insert(board, declaration); }
    void forget(int board) { m_declared.remove(board); }

    bool isDeclared(int board) const { return m_declared.contains(board); }
    Declaration declaration(int board) const { return m_declared.value(board); }
    QList<int> declared() const { return m_declared.keys(); }
    // The boards of a group, ascending; for "all", withContent as well.
    QList<int> members(const QString &group, const QList<int> &withContent) const;
    QMap<QString, QList<int>> groups() const; // each group's boards, ascending

private:
    QMap<int, Declaration> m_declared;
};

#endif
