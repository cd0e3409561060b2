#include "protocol/BoardDecoder.h"

namespace {

constexpr qsizetype sampleSize = 32;
constexpr qsizetype maxBoardDigits = 9; // fits an int

bool isDigit(char byte)
{
    return byte >= '0' && byte <= '9';
}

bool isValidArgument(char letter, const QByteArray &argument)
{
    if (letter == 'C')
        return argument.size() == 1 && argument[0] >= '0' && argument[0] <= '5';
    if (letter == 'B')
        return argument.size() == 2 && isDigit(argument[0]) && isDigit(argument[1]);
    return true;
}

} // namespace

QList<BoardDecoder::Event> BoardDecoder::feed(QByteArrayView bytes)
{
    QList<Event> out;
    for (const char byte : bytes) {
        take(byte, out);
        ++m_offset;
    }
    return out;
}

QList<BoardDecoder::Event> BoardDecoder::decodeDatagram(QByteArrayView datagram)
{
    BoardDecoder decoder;
    QList<Event> events = decoder.feed(datagram);
    if (decoder.m_state == State::AfterD)
        return events;
    return { DecodeError { DecodeError::UnfinishedDatagram, 0,
                           datagram.first(qMin(datagram.size(), sampleSize)).toByteArray() } };
}

void BoardDecoder::take(char byte, QList<Event> &out)
{
    if (byte == '\r') {
        if (m_state == State::InCommand)
            finishCommand(out);
        startCommand();
        return;
    }
    switch (m_state) {
    case State::BeforeFirstCr:
        m_command = QByteArray(1, byte);
        fail(DecodeError::BytesBeforeFirstCr, m_offset, out);
        return;
    case State::AfterD:
        m_command = QByteArray(1, byte);
        fail(DecodeError::BytesAfterD, m_offset, out);
        return;
    case State::Skipping:
        return;
    case State::InCommand:
        break;
    }
    if (m_command.size() == maxCommand) {
        fail(DecodeError::CommandTooLong, m_commandOffset, out);
        return;
    }
    m_command.append(byte);
    if (m_letterAt < 0 && !isDigit(byte))
        headEnded(out);
}

void BoardDecoder::startCommand()
{
    m_state = State::InCommand;
    m_command.clear();
    m_letterAt = -1;
    m_commandOffset = m_offset;
}

void BoardDecoder::headEnded(QList<Event> &out)
{
    const qsizetype letterAt = m_command.size() - 1;
    QByteArrayView digits = QByteArrayView(m_command).first(letterAt);
    if (digits.isEmpty()) {
        fail(DecodeError::NoBoardNumber, m_commandOffset, out);
        return;
    }
    while (digits.size() > 1 && digits.front() == '0')
        digits = digits.sliced(1);
    if (digits.size() > maxBoardDigits) {
        fail(DecodeError::BoardNumberTooLarge, m_commandOffset, out);
        return;
    }
    m_board = digits.toInt();
    m_letterAt = letterAt;
    const char letter = m_command[letterAt];
    if (letter == 'D')
        endFrame(out);
    else if (letter != 'C' && letter != 'B' && letter != 'A')
        fail(DecodeError::UnknownCommand, m_commandOffset, out);
}

void BoardDecoder::finishCommand(QList<Event> &out)
{
    if (m_letterAt < 0) {
        const auto kind = m_command.isEmpty() ? DecodeError::NoBoardNumber : DecodeError::UnknownCommand;
        fail(kind, m_commandOffset, out);
        return;
    }
    const char letter = m_command[m_letterAt];
    const QByteArray argument = m_command.mid(m_letterAt + 1);
    if (!isValidArgument(letter, argument)) {
        fail(DecodeError::BadArgument, m_commandOffset, out);
        return;
    }
    if (!m_pending.contains(m_board) && m_pending.size() >= maxPendingBoards)
        m_pending.erase(m_pending.begin());
    DecodedFrame &frame = m_pending[m_board];
    if (letter == 'C')
        frame.mode = argument[0] - '0';
    else if (letter == 'B')
        frame.brightness = argument.toInt();
    else
        frame.text = argument;
    // A later command of the same kind replaces an earlier one, so a stream
    // that never closes its frame holds at most three commands per board.
    frame.commands.removeIf([letter](const BoardCommand &command) { return command.letter == letter; });
    frame.commands.append(BoardCommand { letter, argument });
    frame.bytes += '\r' + m_command;
    if (frame.bytes.size() > maxFrameBytes)
        frame.bytes.remove(0, frame.bytes.size() - maxFrameBytes);
}

void BoardDecoder::endFrame(QList<Event> &out)
{
    auto pending = m_pending.extract(m_board);
    DecodedFrame frame = pending.empty() ? DecodedFrame() : std::move(pending.mapped());
    frame.boardText = m_command.first(m_letterAt);
    frame.board = m_board;
    frame.commands.append(BoardCommand { 'D', {} });
    frame.bytes += '\r' + m_command;
    out.append(std::move(frame));
    m_state = State::AfterD;
}

void BoardDecoder::fail(DecodeError::Kind kind, qint64 offset, QList<Event> &out)
{
    out.append(DecodeError { kind, offset, m_command.left(sampleSize) });
    m_command = QByteArray(); // give back up to 64 KiB
    m_state = State::Skipping;
}
