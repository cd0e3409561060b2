#include "messages/MessageHistory.h"

#include "messages/MsgListFile.h"

void MessageHistory::load(const QString &path)
{
    m_entries = MsgListFile::load(path);
    m_changed = false;
}

Outcome MessageHistory::save(const QString &path)
{
    if (!m_changed)
        return {};
    const Outcome outcome = MsgListFile::save(path, m_entries);
    if (outcome.ok())
        m_changed = false;
    return outcome;
}

bool MessageHistory::add(const QString &text)
{
    if (text.isEmpty())
        return false;
    if (!m_entries.isEmpty() && m_entries.first() == text)
        return false;
    m_entries.removeOne(text);
    m_entries.prepend(text);
    m_changed = true;
    return true;
}
