#ifndef DECODEERROR_H
#define DECODEERROR_H

#include <QByteArray>
#include <QString>

struct DecodeError
{
    enum Kind {
        BytesBeforeFirstCr,
        BytesAfterD,
        NoBoardNumber,
        BoardNumberTooLarge,
        UnknownCommand,
        BadArgument,
        CommandTooLong,
        UnfinishedDatagram,
    };

    Kind kind = BytesBeforeFirstCr;
    qint64 offset = 0; // of the command's CR, or of the stray byte
    QByteArray sample; // the start of what was dropped

    QString name() const; // short, stable: for the log
    QString description() const; // for people

    bool operator==(const DecodeError &) const = default;
};

#endif
