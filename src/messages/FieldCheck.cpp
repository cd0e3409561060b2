#include "messages/FieldCheck.h"

#include "common/TrimSpaces.h"
#include "messages/modUtils.h"

FieldCheck::FieldCheck(QString emptyText, Outcome::Kind failure)
    : m_emptyText(std::move(emptyText))
    , m_failure(failure)
{ }

FieldCheck::Result FieldCheck::check(const QString &fieldText) const
{
    QString text = TrimSpaces(fieldText);
    if (text.isEmpty())
        text = m_emptyText;
    qint16 position = 1;
    const qint16 value = modUtils::ParseDecimal(text, position);
    const bool passes = position > text.size() && value <= 99;
    return { passes, text };
}

const FieldCheck &FieldCheck::boardNumber()
{
    static const FieldCheck check(QStringLiteral("0"), Outcome::BoardNumberInvalid);
    return check;
}

const FieldCheck &FieldCheck::brightness()
{
    static const FieldCheck check(QStringLiteral("99"), Outcome::BrightnessInvalid);
    return check;
}
