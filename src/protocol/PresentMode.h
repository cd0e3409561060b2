#ifndef PRESENTMODE_H
#define PRESENTMODE_H

#include <QString>
#include <QStringList>

// The presentation modes, in the order of their index on the wire.
namespace PresentMode {

inline const QStringList names = {
    QStringLiteral("Left Justify"),
    QStringLiteral("Right Justify"),
    QStringLiteral("Center"),
    QStringLiteral("Slow crawl from Right"),
    QStringLiteral("Medium crawl from Right"),
    QStringLiteral("Fast crawl from Right"),
};

// One word per mode, for command lines.
inline const QStringList keywords = {
    QStringLiteral("left"), QStringLiteral("right"),  QStringLiteral("center"),
    QStringLiteral("slow"), QStringLiteral("medium"), QStringLiteral("fast"),
};

constexpr int count = 6;

constexpr bool isValid(int index)
{
    return index >= 0 && index < count;
}

} // namespace PresentMode

#endif
