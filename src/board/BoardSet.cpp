#include "board/BoardSet.h"

#include "common/Windows1252.h"

BoardSet::BoardSet(std::optional<int> onlyBoard)
    : m_onlyBoard(onlyBoard)
{ }

const DisplayState *BoardSet::apply(const DecodedFrame &frame, qint64 nowMs)
{
    if (m_onlyBoard && *m_onlyBoard != frame.board)
        return nullptr;
    DisplayState &display = m_displays[frame.board];
    display.board = frame.board;
    display.boardText = frame.boardText;
    display.mode = frame.mode.value_or(display.mode);
    display.brightness = frame.brightness.value_or(display.brightness);
    if (frame.text)
        display.text = Windows1252::toUnicode(*frame.text);
    display.frameAtMs = nowMs;
    return &display;
}
