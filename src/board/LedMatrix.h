#ifndef LEDMATRIX_H
#define LEDMATRIX_H

#include "board/DisplayState.h"

#include <QImage>

#include <map>

// The board's face as an image of one pixel per LED, grey level = intensity.
// A display is a row of character cells, 5 x 7 LEDs each, with one LED
// column between cells that only a crawling text lights.
namespace LedMatrix {

constexpr int cellPitch = 6;

int width(int columns);
// The grey level of a lit LED: 0 at brightness 00, 255 at 99, linear between.
int intensity(int brightness);
// Milliseconds per one-column step; 0 for the modes that stand still.
int crawlStepMs(int mode);
// Whether the display changes over time, so a window must keep redrawing it.
bool isMoving(const DisplayState &display);

QImage render(const DisplayState &display, int columns, qint64 msSinceFrame);
// All displays in ascending order, one below the other with one dark row
// between them; each at msSinceFrame after its own last frame.
QImage renderAll(const std::map<int, DisplayState> &displays, int columns, qint64 msSinceFrame);

} // namespace LedMatrix

#endif
