#ifndef TWIPS_H
#define TWIPS_H

#include <QFont>
#include <QRect>

class QLabel;

// Window positions and sizes are designed in twips: 15 make one pixel at
// 96 dots per inch.
namespace Twips {

constexpr int perPixel = 15;

int toPixels(int twips);
QRect toPixels(const QRect &twips);

// Names a control and puts it at its designed place; returns the control.
template<typename Control>
Control *place(Control *control, const char *name, const QRect &twips)
{
    control->setObjectName(QLatin1String(name));
    control->setGeometry(toPixels(twips));
    return control;
}

// The font the twip layouts were designed for: a sans serif of 8 point at
// 96 dots per inch, held in pixels so the text keeps fitting its fields whatever the dpi.
QFont dialogFont(QFont font);

// A label that sizes itself to its text, keeping its left edge.
void fitWidthToText(QLabel *label);

}

#endif
