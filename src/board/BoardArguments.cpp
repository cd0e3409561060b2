#include "board/BoardArguments.h"

#include "common/TrimSpaces.h"
#include "transport/TransportArgument.h"

#include <limits>

namespace {

constexpr int maxColumns = 500;
constexpr int maxBoard = 999999999;

std::optional<qint64> number(const QString &text, qint64 low, qint64 high)
{
    const QString trimmed = TrimSpaces(text);
    bool ok = !trimmed.isEmpty();
    for (const QChar ch : trimmed)
        ok = ok && ch >= u'0' && ch <= u'9';
    const qint64 value = ok ? trimmed.toLongLong(&ok) : 0;
    if (!ok || value < low || value > high)
        return {};
    return value;
}

bool readInput(BoardArguments &result, const QString &argument)
{
    const QString word = TrimSpaces(argument);
    const QString upper = word.toUpper();
    if (upper == u"PTY") {
        result.input = BoardArguments::Pty;
    } else if (upper.startsWith(u"UDP")) {
        // The sender's grammar: a board listens where a sender sends.
        const TransportArgument udp = TransportArgument::parse(word);
        if (udp.mode != CommMode::Udp)
            return false;
        result.input = BoardArguments::Udp;
        result.port = udp.port;
    } else if (upper.startsWith(u"TCP:")) {
        // The sender's grammar, or only the port for the loopback.
        const bool portOnly = !word.mid(4).contains(u':');
        const TransportArgument tcp
                = TransportArgument::parse(portOnly ? QStringLiteral("TCP:127.0.0.1:") + word.mid(4) : word);
        if (tcp.mode != CommMode::Tcp)
            return false;
        result.input = BoardArguments::Tcp;
        result.host = tcp.host;
        result.port = tcp.port;
    } else if (word.startsWith(u'/')) {
        result.input = BoardArguments::Device;
        result.device = word;
    } else {
        return false;
    }
    return true;
}

bool readOption(BoardArguments &result, const QString &name, const QString &value)
{
    std::optional<qint64> n;
    if (name == u"--columns" && (n = number(value, 1, maxColumns)))
        result.columns = int(*n);
    else if (name == u"--board" && (n = number(value, 0, maxBoard)))
        result.board = int(*n);
    else if (name == u"--count" && (n = number(value, 1, maxBoard)))
        result.count = int(*n);
    else if (name == u"--at" && (n = number(value, 0, std::numeric_limits<qint64>::max() / 2)))
        result.atMs = *n;
    else if (name == u"--dots" && !value.isEmpty())
        result.dots = value;
    else
        return false;
    return true;
}

} // namespace

BoardArguments BoardArguments::parse(const QStringList &arguments)
{
    BoardArguments result;
    for (qsizetype i = 0; i < arguments.size() && !result.error; ++i) {
        const QString &argument = arguments.at(i);
        if (argument == u"--help" || argument == u"-h") {
            result.help = true;
            return result;
        }
        if (argument == u"--version" || argument == u"-v") {
            result.version = true;
            return result;
        }
        if (argument == u"--log") {
            result.log = true;
        } else if (argument.startsWith(u"--")) {
            QString name = argument.section(u'=', 0, 0);
            QString value = argument.section(u'=', 1);
            if (!argument.contains(u'=') && i + 1 < arguments.size())
                value = arguments.at(++i);
            if (!readOption(result, name, value))
                result.error = QStringLiteral("bad option or value: ") + argument;
        } else if (result.input != None || !readInput(result, argument)) {
            result.error = QStringLiteral("input not understood: ") + argument;
        }
    }
    if (!result.error && result.input == None)
        result.error = QStringLiteral("no input given");
    // A picture of the board is taken after a frame has been shown.
    if (!result.dots.isEmpty() && result.count == 0)
        result.count = 1;
    return result;
}

QString BoardArguments::usage()
{
    return QStringLiteral("Usage: VaroBoard [options] INPUT\n"
                          "Shows what a Varo LED message board would show for the frames it receives.\n"
                          "\n"
                          "INPUT, one of (letter case and surrounding spaces ignored):\n"
                          "  UDP#           receive datagrams on port # (1 to 65535), on every local address\n"
                          "  TCP:PORT       listen on 127.0.0.1:PORT, each connection a byte stream as a serial line\n"
                          "  TCP:HOST:PORT  the same on another local address\n"
                          "  PTY            create a pseudo-terminal; its device path is the first output line\n"
                          "  /dev/...       read that serial port at 9600 8N1\n"
                          "\n"
                          "Options:\n"
                          "  --columns N    character cells per display, 1 to 500 (default 20)\n"
                          "  --board N      show only board N and ignore frames for the others\n"
                          "  --log          no window: one JSON line per frame and per error on standard output\n"
                          "  --count N      exit after N frames\n"
                          "  --dots FILE    no window: after --count frames (default 1) write the LEDs as PNG to FILE\n"
                          "  --at MS        with --dots: the time after the last frame to draw (default 0)\n"
                          "  -v, --version  the version\n"
                          "  --help         this text\n");
}
