#include "board/BoardInput.h"

#include "board/PtyInput.h"
#include "board/SerialInput.h"
#include "board/TcpInput.h"
#include "board/UdpInput.h"

std::unique_ptr<BoardInput> BoardInput::create(const BoardArguments &arguments)
{
    switch (arguments.input) {
    case BoardArguments::Udp:
        return std::make_unique<UdpInput>(quint16(arguments.port));
    case BoardArguments::Pty:
        return std::make_unique<PtyInput>();
    case BoardArguments::Tcp:
        return std::make_unique<TcpInput>(arguments.host, quint16(arguments.port));
    case BoardArguments::Device:
        return std::make_unique<SerialInput>(arguments.device);
    case BoardArguments::None:
        break;
    }
    return {};
}
