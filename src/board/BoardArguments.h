#ifndef BOARDARGUMENTS_H
#define BOARDARGUMENTS_H

#include <QString>
#include <QStringList>

#include <optional>

// VaroBoard's command line: one input and the options that shape the run.
struct BoardArguments
{
    enum Input { None, Udp, Pty, Device, Tcp };

    Input input = None;
    int port = 0; // Udp, Tcp
    QString host; // Tcp: the address to listen on
    QString device; // Device
    int columns = 20;
    std::optional<int> board;
    bool log = false;
    int count = 0; // 0: run until stopped
    QString dots;
    qint64 atMs = 0;
    bool help = false;
    bool version = false;
    std::optional<QString> error; // why the command line was refused

    // Without a window there is no need for a display.
    bool needsWindow() const { return !log && dots.isEmpty(); }

    static BoardArguments parse(const QStringList &arguments);
    static QString usage();
};

#endif
