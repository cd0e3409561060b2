#ifndef TYPEDTEXT_H
#define TYPEDTEXT_H

#include <QString>

// Text typed or pasted into a field: a carriage return in a field would
// start a new board command in the frame, so control characters never get
// in. A line break (CR, LF or CR LF) becomes one space; the others go.
namespace TypedText {

QString withoutControls(const QString &text);

}

#endif
