#ifndef MESSAGEHISTORY_H
#define MESSAGEHISTORY_H

#include <QString>
#include <QStringList>

// The messages used most recently, newest first: no empty entry, no two
// equal (exact, case-sensitive). No upper bound while the program runs.
class MessageHistory
{
public:
    // Puts the text on top. Returns whether the list changed.
    bool add(const QString &text);

    const QStringList &entries() const { return m_entries; }

private:
    QStringList m_entries;
};

#endif
