#include "messages/FieldCheck.h"

#include "common/TrimSpaces.h"
#include "messages/modUtils.h"

FieldCheck::FieldCheck(QString emptyText, QString firstMessageLine)
    : m_emptyText(std::move(emptyText)), m_firstMessageLine(std::move(firstMessageLine))
{
}

FieldCheck::Outcome FieldCheck::check(const QString &fieldText) const
{
    QString text = TrimSpaces(fieldText);
    if (text.isEmpty())
        text = m_emptyText;
    qint16 position = 1;
    const qint16 value = modUtils::ParseDecimal(text, position);
    const bool passes = position > text.size() && value <= 99;
    return { passes, text };
}

QString FieldCheck::message() const
{
    return m_firstMessageLine + QStringLiteral("\rPlease enter a decimal number between 0 and 99");
}

const FieldCheck &FieldCheck::boardNumber()
{
    static const FieldCheck check(QStringLiteral("0"), QStringLiteral("INVALID BOARD NUMBER"));
    return check;
}

const FieldCheck &FieldCheck::brightness()
{
    static const FieldCheck check(QStringLiteral("99"), QStringLiteral("INVALID BRIGHTNESS"));
    return check;
}
