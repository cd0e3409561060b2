#ifndef MESSAGEHISTORY_H
#define MESSAGEHISTORY_H

#include "common/Outcome.h"

#include <QString>
#include <QStringList>

// The messages used most recently, newest first: no empty entry, no two
// equal (exact, case-sensitive). No upper bound while the program runs; the
// list file keeps the newest 20.
class MessageHistory
{
public:
    // Replaces the entries with those of the list file, in its order.
    void load(const QString &path);
    // Writes the list file when the entries differ from it.
    Outcome save(const QString &path);

    // Puts the text on top. Returns whether the list changed.
    bool add(const QString &text);

    const QStringList &entries() const { return m_entries; }

private:
    QStringList m_entries;
    bool m_changed = false;
};

#endif
