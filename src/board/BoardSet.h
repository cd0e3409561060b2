#ifndef BOARDSET_H
#define BOARDSET_H

#include "board/DisplayState.h"
#include "protocol/DecodedFrame.h"

#include <map>
#include <optional>

// The boards heard so far, in ascending order of their numbers. Limited to
// one board, the set ignores frames for the others, as that board would.
class BoardSet
{
public:
    explicit BoardSet(std::optional<int> onlyBoard = {});

    // The display the frame changed, or nullptr when the frame is not for us.
    const DisplayState *apply(const DecodedFrame &frame, qint64 nowMs);

    const std::map<int, DisplayState> &displays() const { return m_displays; }

private:
    std::optional<int> m_onlyBoard;
    std::map<int, DisplayState> m_displays;
};

#endif
