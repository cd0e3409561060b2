#ifndef FIELDCHECK_H
#define FIELDCHECK_H

#include <QString>

// The check of a numeric field (board number, brightness): a decimal number
// from 0 to 99, surrounding spaces allowed, an empty field taking a default.
class FieldCheck
{
public:
    FieldCheck(QString emptyText, QString firstMessageLine);

    struct Outcome
    {
        bool passes = false;
        QString text;  // what a passing check writes back into the field
    };

    Outcome check(const QString &fieldText) const;
    QString message() const;

    static const FieldCheck &boardNumber();
    static const FieldCheck &brightness();

private:
    QString m_emptyText;
    QString m_firstMessageLine;
};

#endif
