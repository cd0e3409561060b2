#include "ui/ControlCharValidator.h"

#include "messages/TypedText.h"

QValidator::State ControlCharValidator::validate(QString &input, int &pos) const
{
    const QString clean = TypedText::withoutControls(input);
    if (clean != input) {
        pos -= int(input.left(pos).size() - TypedText::withoutControls(input.left(pos)).size());
        input = clean;
    }
    return Acceptable;
}
