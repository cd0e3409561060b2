#ifndef COMMMODE_H
#define COMMMODE_H

// The output channel of a run.
enum class CommMode { None = 0, Serial = 1, Udp = 2, Tcp = 3 };

#endif
