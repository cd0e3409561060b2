#ifndef FIELDCHECK_H
#define FIELDCHECK_H

#include "common/Outcome.h"

#include <QString>

// The check of a numeric field (board number, brightness): a decimal number
// from 0 to 99, surrounding spaces allowed, an empty field taking a default.
class FieldCheck
{
public:
    FieldCheck(QString emptyText, Outcome::Kind failure);

    struct Result
    {
        bool passes = false;
        QString text; // what a passing check writes back into the field
    };

    Result check(const QString &fieldText) const;
    Outcome::Kind failure() const { return m_failure; }

    static const FieldCheck &boardNumber();
    static const FieldCheck &brightness();

private:
    QString m_emptyText;
    Outcome::Kind m_failure;
};

#endif
