#ifndef CONTROLCHARVALIDATOR_H
#define CONTROLCHARVALIDATOR_H

#include <QValidator>

// Keeps control characters out of a line edit, whether typed or pasted.
class ControlCharValidator : public QValidator
{
    Q_OBJECT

public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override;
};

#endif
