#include "transport/TransportArgument.h"

#include "common/TrimSpaces.h"

TransportArgument TransportArgument::parse(const QString &commandLine)
{
    QString argument = TrimSpaces(commandLine).toUpper();
    if (argument.isEmpty())
        argument = QStringLiteral("COM1");
    if (argument.size() < 4)
        return {};

    TransportArgument result;
    if (argument.startsWith(u"COM"))
        result.mode = CommMode::Serial;
    else if (argument.startsWith(u"UDP"))
        result.mode = CommMode::Udp;
    else
        return {};

    // Plain decimal digits with optional spaces around them; no sign.
    const QString number = TrimSpaces(argument.mid(3));
    bool ok = !number.isEmpty();
    for (const QChar ch : number)
        ok = ok && ch >= u'0' && ch <= u'9';
    const int port = ok ? number.toInt(&ok) : 0;
    if (!ok || port < 1 || port > 65535)
        return {};

    result.port = port;
    return result;
}
