#include "protocol/DecodeError.h"

QString DecodeError::name() const
{
    switch (kind) {
    case BytesBeforeFirstCr:
        return QStringLiteral("bytes-before-first-cr");
    case BytesAfterD:
        return QStringLiteral("bytes-after-d");
    case NoBoardNumber:
        return QStringLiteral("no-board-number");
    case BoardNumberTooLarge:
        return QStringLiteral("board-number-too-large");
    case UnknownCommand:
        return QStringLiteral("unknown-command");
    case BadArgument:
        return QStringLiteral("bad-argument");
    case CommandTooLong:
        return QStringLiteral("command-too-long");
    case UnfinishedDatagram:
        return QStringLiteral("unfinished-datagram");
    }
    return {};
}

QString DecodeError::description() const
{
    switch (kind) {
    case BytesBeforeFirstCr:
        return QStringLiteral("Bytes before the first CR");
    case BytesAfterD:
        return QStringLiteral("Bytes after a D command before the next CR");
    case NoBoardNumber:
        return QStringLiteral("A command without a board number");
    case BoardNumberTooLarge:
        return QStringLiteral("A board number of more than nine digits");
    case UnknownCommand:
        return QStringLiteral("An unknown or missing command letter");
    case BadArgument:
        return QStringLiteral("An argument outside its range (C 0 to 5, B 00 to 99)");
    case CommandTooLong:
        return QStringLiteral("A command longer than 64 KiB, dropped up to the next CR");
    case UnfinishedDatagram:
        return QStringLiteral("A datagram that does not end with a whole D command; ignored");
    }
    return {};
}
