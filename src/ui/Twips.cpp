#include "ui/Twips.h"

#include <QtMath>

namespace Twips {

int toPixels(int twips)
{
    return qRound(double(twips) / perPixel);
}

QRect toPixels(const QRect &twips)
{
    return { toPixels(twips.x()), toPixels(twips.y()), toPixels(twips.width()), toPixels(twips.height()) };
}

} // namespace Twips
