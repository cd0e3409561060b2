#ifndef DECODEDFRAME_H
#define DECODEDFRAME_H

#include <QByteArray>
#include <QList>

#include <optional>

struct BoardCommand
{
    char letter = 0;
    QByteArray argument;

    bool operator==(const BoardCommand &) const = default;
};

// What one board takes from a D command: the C, B and A received for it since
// its previous D. A setting the frame did not carry stays empty here; the
// board keeps its previous value for it.
struct DecodedFrame
{
    QByteArray boardText; // as sent in the D command, leading zeros kept
    int board = 0;
    std::optional<int> mode;
    std::optional<int> brightness;
    std::optional<QByteArray> text; // Windows-1252
    QList<BoardCommand> commands; // in arrival order, D last
    QByteArray bytes; // the frame's commands, each with its CR

    bool operator==(const DecodedFrame &) const = default;
};

#endif
