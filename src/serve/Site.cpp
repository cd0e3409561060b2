#include "serve/Site.h"

#include <algorithm>

QList<int> Site::members(const QString &group, const QList<int> &withContent) const
{
    QList<int> boards;
    for (auto it = m_declared.cbegin(); it != m_declared.cend(); ++it) {
        if (group == all || it->groups.contains(group))
            boards.append(it.key());
    }
    if (group == all) {
        boards += withContent;
        std::sort(boards.begin(), boards.end());
        boards.erase(std::unique(boards.begin(), boards.end()), boards.end());
    }
    return boards;
}

QMap<QString, QList<int>> Site::groups() const
{
    QMap<QString, QList<int>> result;
    for (auto it = m_declared.cbegin(); it != m_declared.cend(); ++it) {
        for (const QString &group : it->groups)
            result[group].append(it.key());
    }
    return result;
}
