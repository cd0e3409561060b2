#ifndef BOARDDECODER_H
#define BOARDDECODER_H

#include "protocol/DecodeError.h"
#include "protocol/DecodedFrame.h"

#include <QByteArrayView>
#include <QList>

#include <map>
#include <variant>

// The board's side of the frame: bytes in, in pieces of any size, frames and
// errors out. The results depend only on the bytes, never on how they were
// cut into pieces. A bad command is dropped up to the next CR and the rest
// of the stream is still decoded.
class BoardDecoder
{
public:
    using Event = std::variant<DecodedFrame, DecodeError>;

    // The most a command (the bytes between two CRs) may hold; the decoder
    // never buffers more than this.
    static constexpr qsizetype maxCommand = 64 * 1024;
    // What a frame that never ends may hold: its commands' last bytes, and
    // the boards that wait for their D.
    static constexpr qsizetype maxFrameBytes = 4 * (maxCommand + 1);
    static constexpr size_t maxPendingBoards = 100;

    QList<Event> feed(QByteArrayView bytes);

    // A datagram stands alone: it must end with a whole D command, or it
    // yields one error and nothing else.
    static QList<Event> decodeDatagram(QByteArrayView datagram);

private:
    enum class State { BeforeFirstCr, InCommand, AfterD, Skipping };

    void take(char byte, QList<Event> &out);
    void startCommand();
    void headEnded(QList<Event> &out);
    void finishCommand(QList<Event> &out);
    void endFrame(QList<Event> &out);
    void fail(DecodeError::Kind kind, qint64 offset, QList<Event> &out);

    State m_state = State::BeforeFirstCr;
    QByteArray m_command; // the bytes after the current CR
    qsizetype m_letterAt = -1; // index of the command letter in m_command
    int m_board = 0;
    qint64 m_offset = 0; // of the byte being taken
    qint64 m_commandOffset = 0; // of the current command's CR
    std::map<int, DecodedFrame> m_pending;
};

#endif
