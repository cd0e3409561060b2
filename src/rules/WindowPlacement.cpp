#include "rules/WindowPlacement.h"

#include <cmath>

namespace WindowPlacement {

namespace {

constexpr float margin = 400;

// Rounded to the nearest whole twip, a half to the even neighbour, then
// halved toward zero.
int centred(int screen, int window)
{
    const auto difference = static_cast<long>(std::nearbyint(double(screen) - window));
    return int(difference / 2);
}

} // namespace

QPoint restore(QPointF stored, QSize screen, QSize window)
{
    const bool offScreen = stored.x() < -margin || stored.x() > screen.width() - margin || stored.y() < -margin
            || stored.y() > screen.height() - margin;
    if (offScreen)
        return { centred(screen.width(), window.width()), centred(screen.height(), window.height()) };
    return { int(std::lround(stored.x())), int(std::lround(stored.y())) };
}

} // namespace WindowPlacement
