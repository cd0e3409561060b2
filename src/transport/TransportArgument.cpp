#include "transport/TransportArgument.h"

#include "common/TrimSpaces.h"

namespace {

// Plain decimal digits with optional spaces around them; no sign. -1 when
// the text is no number, 0 when it is out of range.
int portNumber(const QString &text)
{
    const QString number = TrimSpaces(text);
    bool ok = !number.isEmpty();
    for (const QChar ch : number)
        ok = ok && ch >= u'0' && ch <= u'9';
    const int port = ok ? number.toInt(&ok) : 0;
    if (!ok && number.isEmpty())
        return -1;
    return ok && port >= 1 && port <= 65535 ? port : 0;
}

TransportArgument refused(Outcome::Kind why)
{
    TransportArgument result;
    result.refusal = why;
    return result;
}

TransportArgument parseTcp(const QString &rest)
{
    const qsizetype colon = rest.lastIndexOf(u':');
    QString host = TrimSpaces(colon < 0 ? rest : rest.left(colon));
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    else if (host.contains(u':'))
        return refused(Outcome::TcpPortMissing); // an IPv6 address needs its brackets
    const int port = colon < 0 ? -1 : portNumber(rest.mid(colon + 1));
    if (port < 0)
        return refused(Outcome::TcpPortMissing);
    if (host.isEmpty())
        return refused(Outcome::TcpHostMissing);
    if (port == 0)
        return refused(Outcome::TcpPortInvalid);
    TransportArgument result;
    result.mode = CommMode::Tcp;
    result.host = host;
    result.port = port;
    return result;
}

} // namespace

TransportArgument TransportArgument::parse(const QString &commandLine)
{
    const QString trimmed = TrimSpaces(commandLine);
    if (trimmed.startsWith(u"TCP:", Qt::CaseInsensitive))
        return parseTcp(trimmed.mid(4));
    QString argument = trimmed.toUpper();
    if (argument.isEmpty())
        argument = QStringLiteral("COM1");
    if (argument.size() < 4)
        return refused(Outcome::ArgumentNotRecognized);

    TransportArgument result;
    if (argument.startsWith(u"COM"))
        result.mode = CommMode::Serial;
    else if (argument.startsWith(u"UDP"))
        result.mode = CommMode::Udp;
    else
        return refused(Outcome::ArgumentNotRecognized);

    const int port = portNumber(argument.mid(3));
    if (port <= 0)
        return refused(Outcome::ArgumentNotRecognized);
    result.port = port;
    return result;
}

QString TransportArgument::address(const QString &host, int port)
{
    return (host.contains(u':') ? QStringLiteral("[%1]:%2") : QStringLiteral("%1:%2")).arg(host).arg(port);
}
