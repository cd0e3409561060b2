#ifndef BOARDFRAME_H
#define BOARDFRAME_H

#include <QByteArray>
#include <QString>

// One board command frame: the commands C (presentation), B (brightness),
// A (message) and D (end), each introduced by a carriage return and the
// board number.
namespace BoardFrame {

QByteArray build(const QString &boardNumber, int presentIndex, const QString &brightness, const QString &message);

}

#endif
