#ifndef TWIPS_H
#define TWIPS_H

#include <QRect>

// Window positions and sizes are designed in twips: 15 make one pixel at
// 96 dots per inch.
namespace Twips {

constexpr int perPixel = 15;

int toPixels(int twips);
QRect toPixels(const QRect &twips);

} // namespace Twips

#endif
