#ifndef DISPLAYSTATE_H
#define DISPLAYSTATE_H

#include "face/FaceState.h"

#include <QByteArray>

// What one board shows: the settings of its frames so far. A board that has
// not been told a setting starts as left-justified, at full brightness.
struct DisplayState : FaceState
{
    QByteArray boardText; // as sent in its last frame
    int board = 0;
    qint64 frameAtMs = 0; // when its last frame arrived, on the session's clock
};

#endif
