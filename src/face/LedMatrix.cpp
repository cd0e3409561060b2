#include "face/LedMatrix.h"

#include "face/GlyphTable.h"

#include <algorithm>

namespace {

// Left edge of the text, in LED columns from the display's left edge, and
// the text that is drawn there.
struct Placement
{
    int x = 0;
    QString text;
};

Placement place(const FaceState &face, int columns, qint64 msSinceFrame)
{
    const int step = LedMatrix::crawlStepMs(face.mode);
    if (step > 0) {
        const int displayWidth = LedMatrix::width(columns);
        const qint64 textWidth = qint64(face.text.size()) * LedMatrix::cellPitch - 1;
        const qint64 cycle = displayWidth + textWidth;
        return { int(displayWidth - (msSinceFrame / step) % cycle), face.text };
    }
    const QString shown = face.text.left(columns);
    const int freeCells = columns - int(shown.size());
    switch (face.mode) {
    case 1:
        return { freeCells * LedMatrix::cellPitch, shown };
    case 2:
        return { freeCells / 2 * LedMatrix::cellPitch, shown };
    default:
        return { 0, shown };
    }
}

void drawGlyph(QImage &image, int x, QChar ch, int grey)
{
    const GlyphTable::Rows rows = GlyphTable::rows(ch);
    for (int row = 0; row < GlyphTable::height; ++row) {
        uchar *line = image.scanLine(row);
        for (int col = 0; col < GlyphTable::width; ++col) {
            const int at = x + col;
            const bool lit = rows[row] & (0x10 >> col);
            if (lit && at >= 0 && at < image.width())
                line[at] = uchar(grey);
        }
    }
}

} // namespace

namespace LedMatrix {

int width(int columns)
{
    return columns * cellPitch - 1;
}

int intensity(int brightness)
{
    return (qBound(0, brightness, 99) * 255 + 49) / 99;
}

int crawlStepMs(int mode)
{
    switch (mode) {
    case 3:
        return 80;
    case 4:
        return 40;
    case 5:
        return 20;
    default:
        return 0;
    }
}

bool isMoving(const FaceState &face)
{
    return crawlStepMs(face.mode) > 0 && face.brightness > 0 && !face.text.isEmpty();
}

QImage render(const FaceState &face, int columns, qint64 msSinceFrame)
{
    QImage image(width(columns), GlyphTable::height, QImage::Format_Grayscale8);
    image.fill(0);
    const int grey = intensity(face.brightness);
    if (grey == 0)
        return image;
    const Placement placement = place(face, columns, qMax<qint64>(0, msSinceFrame));
    // Only the characters that reach into the display are drawn, so a long
    // crawling text costs no more than a short one.
    const int first = qMax(0, -placement.x / cellPitch);
    for (int i = first; i < placement.text.size(); ++i) {
        const int x = placement.x + i * cellPitch;
        if (x >= image.width())
            break;
        drawGlyph(image, x, placement.text.at(i), grey);
    }
    return image;
}

QImage renderAll(const std::vector<FaceState> &faces, int columns, qint64 msSinceFrame)
{
    const int count = qMax(1, int(faces.size()));
    QImage image(width(columns), count * (GlyphTable::height + 1) - 1, QImage::Format_Grayscale8);
    image.fill(0);
    int y = 0;
    for (const FaceState &face : faces) {
        const QImage one = render(face, columns, msSinceFrame);
        for (int row = 0; row < one.height(); ++row)
            std::copy_n(one.constScanLine(row), one.width(), image.scanLine(y + row));
        y += GlyphTable::height + 1;
    }
    return image;
}

} // namespace LedMatrix
