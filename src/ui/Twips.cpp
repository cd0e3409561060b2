#include "ui/Twips.h"

#include <QLabel>

namespace Twips {

int toPixels(int twips)
{
    return qRound(double(twips) / perPixel);
}

QRect toPixels(const QRect &twips)
{
    return { toPixels(twips.x()), toPixels(twips.y()), toPixels(twips.width()), toPixels(twips.height()) };
}

QFont dialogFont(QFont font)
{
    // Arial's metrics (Liberation Sans on Linux) fit the designed widths.
    font.setFamilies({ QStringLiteral("Arial"), font.family() });
    font.setPixelSize(11);
    return font;
}

void fitWidthToText(QLabel *label)
{
    const QPoint topLeft = label->pos();
    label->adjustSize();
    label->move(topLeft);
}

}
