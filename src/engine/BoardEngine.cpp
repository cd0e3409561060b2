#include "engine/BoardEngine.h"

BoardEngine::BoardEngine(const Clock &clock, FrameSink &sink, QObject *parent)
    : QObject(parent)
    , m_clock(clock)
    , m_sink(sink)
{ }
