#ifndef FRAMESINK_H
#define FRAMESINK_H

#include <QByteArray>

// The line the engine writes frames to; the service adapts its transport.
class FrameSink
{
public:
    virtual ~FrameSink() = default;
    virtual bool busy() const = 0; // bytes still waiting on the line
    // False when the line did not take the frame.
    virtual bool write(int board, const QByteArray &frame) = 0;
};

#endif
