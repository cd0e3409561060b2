#ifndef FACESTATE_H
#define FACESTATE_H

#include <QString>

// What a board's face shows: its text, presentation mode (0 left, 1 right,
// 2 center, 3 slow, 4 medium, 5 fast crawl) and brightness (00 to 99).
struct FaceState
{
    int mode = 0;
    int brightness = 99;
    QString text;
};

#endif
