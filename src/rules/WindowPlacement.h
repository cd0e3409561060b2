#ifndef WINDOWPLACEMENT_H
#define WINDOWPLACEMENT_H

#include <QPoint>
#include <QPointF>
#include <QSize>

// Where the main window opens, all in twips: at its stored top-left corner,
// or centred on the screen when that corner lies off the screen.
namespace WindowPlacement {

QPoint restore(QPointF stored, QSize screen, QSize window);

}

#endif
