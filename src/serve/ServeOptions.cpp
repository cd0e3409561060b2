#include "serve/ServeOptions.h"

#include "common/NativePath.h"

#include <QCommandLineParser>

namespace {

const QCommandLineOption listen(QStringLiteral("listen"),
                                QStringLiteral("Address and port of the HTTP API (default 127.0.0.1:8470). "
                                               "Any address but the loopback needs --token-file."),
                                QStringLiteral("HOST:PORT"),
                                QStringLiteral("127.0.0.1:%1").arg(ServeOptions::defaultPort));
const QCommandLineOption tokenFile(QStringLiteral("token-file"),
                                   QStringLiteral("File of access tokens, readable by its owner only: lines "
                                                  "\"NAME ROLE TOKEN\" (ROLE read, operate or admin; TOKEN at "
                                                  "least 16 characters), or one bare token for admin; every /api "
                                                  "request must then carry \"Authorization: Bearer TOKEN\"."),
                                   QStringLiteral("FILE"));
const QCommandLineOption tlsCertificate(QStringLiteral("tls-cert"),
                                        QStringLiteral("The API's certificate (PEM, its chain after it): with "
                                                       "--tls-key, --listen speaks only HTTPS."),
                                        QStringLiteral("FILE"));
const QCommandLineOption tlsKey(QStringLiteral("tls-key"),
                                QStringLiteral("The certificate's private key (PEM), readable by its owner only."),
                                QStringLiteral("FILE"));
const QCommandLineOption data(QStringLiteral("data"),
                              QStringLiteral("The store: playlists, alerts, counters and the journal "
                                             "(default $XDG_DATA_HOME/VaroServe/varoserve.sqlite)."),
                              QStringLiteral("FILE"));
const QCommandLineOption exportTo(QStringLiteral("export"),
                                  QStringLiteral("Write the store's whole content (boards, playlists, live alerts, "
                                                 "counters) to FILE as JSON, and exit. No service may hold the store."),
                                  QStringLiteral("FILE"));
const QCommandLineOption importFrom(QStringLiteral("import"),
                                    QStringLiteral("Replace the store's whole content with FILE, as --export wrote "
                                                   "it, and exit; nothing changes when any of it is invalid."),
                                    QStringLiteral("FILE"));
const QCommandLineOption verbose(QStringLiteral("verbose"),
                                 QStringLiteral("Print every request answered and every frame sent."));

ServeOptions::Parsed usageError(const QString &error)
{
    return { ServeOptions::UsageError,
             QStringLiteral("VaroServe: %1\rTry \"VaroServe --help\" for more information.").arg(error) };
}

// "127.0.0.1:8470", "[::1]:8470", "localhost:8470"; port 0 takes a free one.
bool readListen(const QString &text, QHostAddress &address, quint16 &port)
{
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0)
        return false;
    QString host = text.left(colon);
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    else if (host.contains(u':'))
        return false;
    const QString digits = text.mid(colon + 1);
    bool ok = !digits.isEmpty() && digits.size() <= 5
            && std::all_of(digits.begin(), digits.end(), [](QChar ch) { return ch >= u'0' && ch <= u'9'; });
    const int number = ok ? digits.toInt() : -1;
    if (number < 0 || number > 65535)
        return false;
    port = quint16(number);
    if (host.compare(u"localhost", Qt::CaseInsensitive) == 0)
        host = QStringLiteral("127.0.0.1");
    return address.setAddress(host);
}

} // namespace

QString ServeOptions::defaultDataFile()
{
    return NativePath::dataHome() + QStringLiteral("/VaroServe/varoserve.sqlite");
}

ServeOptions::Parsed ServeOptions::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
            QStringLiteral("Keep every Varo LED message board on one line showing the right thing: playlists\n"
                           "with schedules, alerts and live fields, driven by a REST API. Exit status: 0\n"
                           "stopped by SIGTERM or SIGINT, 1 the transport, the store or the socket failed,\n"
                           "2 bad usage."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({ listen, tokenFile, tlsCertificate, tlsKey, data, exportTo, importFrom, verbose });
    parser.addOptions(MqttOptions::commandLineOptions());
    parser.addPositionalArgument(QStringLiteral("TRANSPORT"),
                                 QStringLiteral("COM#, UDP# or TCP:HOST:PORT, # and PORT from 1 to 65535."));
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        return { ShowHelp, parser.helpText() };
    if (parser.isSet(QStringLiteral("version")))
        return { ShowVersion, QStringLiteral("VaroServe %1.%2").arg(VMB_VERSION_MAJOR).arg(VMB_VERSION_MINOR) };

    const QStringList words = parser.positionalArguments();
    if (parser.isSet(exportTo) || parser.isSet(importFrom)) {
        const bool both = parser.isSet(exportTo) && parser.isSet(importFrom);
        Parsed parsed { parser.isSet(exportTo) ? Export : Import };
        parsed.archiveFile = parser.value(parser.isSet(exportTo) ? exportTo : importFrom);
        parsed.dataFile = parser.isSet(data) ? parser.value(data) : defaultDataFile();
        if (both || !words.isEmpty())
            return usageError(QStringLiteral("--export and --import take no TRANSPORT and not each other."));
        if (parsed.archiveFile.isEmpty() || parsed.dataFile.isEmpty())
            return usageError(QStringLiteral("--export, --import and --data need a file name."));
        return parsed;
    }
    // No default: a service that guessed COM1 would drive whatever is there.
    if (words.isEmpty() || words.first().trimmed().isEmpty())
        return usageError(QStringLiteral("Missing TRANSPORT: give COM# or UDP#."));
    if (words.size() > 1)
        return usageError(QStringLiteral("Unexpected \"%1\" after TRANSPORT.").arg(words.at(1)));

    Parsed parsed { Run };
    parsed.transport = words.first();
    if (!readListen(parser.value(listen), parsed.listenAddress, parsed.listenPort))
        return usageError(QStringLiteral("Invalid --listen \"%1\": give HOST:PORT, such as 127.0.0.1:8470 or "
                                         "[::1]:8470.")
                                  .arg(parser.value(listen)));
    parsed.tokenFile = parser.value(tokenFile);
    if (parser.isSet(tokenFile) && parsed.tokenFile.isEmpty())
        return usageError(QStringLiteral("--token-file needs a file name."));
    if (!parsed.listenAddress.isLoopback() && parsed.tokenFile.isEmpty())
        return usageError(QStringLiteral("--listen %1 can be reached from other machines: give --token-file as "
                                         "well, so that only those who hold the token can change the boards.")
                                  .arg(parser.value(listen)));
    parsed.tlsCertificate = parser.value(tlsCertificate);
    parsed.tlsKey = parser.value(tlsKey);
    if (parsed.tlsCertificate.isEmpty() != parsed.tlsKey.isEmpty())
        return usageError(QStringLiteral("--tls-cert and --tls-key go together: give both files."));
    parsed.dataFile = parser.isSet(data) ? parser.value(data) : defaultDataFile();
    if (parsed.dataFile.isEmpty())
        return usageError(QStringLiteral("--data needs a file name."));
    parsed.verbose = parser.isSet(verbose);
    if (const QString mistake = MqttOptions::read(parser, parsed.transport, parsed.mqtt); !mistake.isEmpty())
        return usageError(mistake);
    return parsed;
}
