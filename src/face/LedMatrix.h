#ifndef LEDMATRIX_H
#define LEDMATRIX_H

#include "face/FaceState.h"

#include <QImage>

#include <vector>

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
bool isMoving(const FaceState &face);

QImage render(const FaceState &face, int columns, qint64 msSinceFrame);
// Several faces one below the other with one dark row between them; each at
// msSinceFrame after its own last frame.
QImage renderAll(const std::vector<FaceState> &faces, int columns, qint64 msSinceFrame);

} // namespace LedMatrix

#endif
