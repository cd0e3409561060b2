#include "messages/MessageHistory.h"

bool MessageHistory::add(const QString &text)
{
    if (text.isEmpty())
        return false;
    if (!m_entries.isEmpty() && m_entries.first() == text)
        return false;
    m_entries.removeOne(text);
    m_entries.prepend(text);
    return true;
}
