#include "send/SendOptions.h"

#include "common/TrimSpaces.h"
#include "protocol/PresentMode.h"

#include <QCommandLineParser>
#include <QLocale>

namespace {

const QCommandLineOption board({ QStringLiteral("b"), QStringLiteral("board") },
                               QStringLiteral("Board number, 0 to 99, sent as typed (default 0)."),
                               QStringLiteral("TEXT"), QStringLiteral("0"));
const QCommandLineOption bright(QStringLiteral("bright"),
                                QStringLiteral("Brightness in percent, 0 to 99 (default 99)."), QStringLiteral("TEXT"),
                                QStringLiteral("99"));
const QCommandLineOption mode({ QStringLiteral("m"), QStringLiteral("mode") },
                              QStringLiteral("left, right, center, slow, medium, fast, or 0 to 5 (default left)."),
                              QStringLiteral("MODE"), QStringLiteral("0"));
const QCommandLineOption dryRun({ QStringLiteral("n"), QStringLiteral("dry-run") },
                                QStringLiteral("Send nothing; print each frame, CR shown as \\r."));
const QCommandLineOption hex({ QStringLiteral("x"), QStringLiteral("hex") },
                             QStringLiteral("Print each frame's bytes in hex as well."));
const QCommandLineOption interval({ QStringLiteral("i"), QStringLiteral("interval") },
                                  QStringLiteral("Seconds between frames of standard input (default 0)."),
                                  QStringLiteral("SECONDS"), QStringLiteral("0"));
const QCommandLineOption verbose(QStringLiteral("verbose"),
                                 QStringLiteral("Print the byte count and the target of each frame sent."));

// The keyword in any letter case, or the index itself.
int modeIndex(const QString &text)
{
    const QString word = TrimSpaces(text).toLower();
    const int byName = int(PresentMode::keywords.indexOf(word));
    const int byIndex = word.size() == 1 ? word.at(0).unicode() - u'0' : -1;
    return byName >= 0 ? byName : PresentMode::isValid(byIndex) ? byIndex : -1;
}

// Milliseconds, or -1. The negated range test also refuses "nan".
int intervalMs(const QString &text)
{
    bool ok = false;
    const double seconds = QLocale::c().toDouble(TrimSpaces(text), &ok);
    if (!ok || !(seconds >= 0 && seconds <= SendOptions::longestIntervalSeconds))
        return -1;
    return qRound(seconds * 1000);
}

SendOptions::Parsed usageError(const QString &error)
{
    return { SendOptions::UsageError,
             {},
             QStringLiteral("VaroSend: %1\rTry \"VaroSend --help\" for more information.").arg(error) };
}

void describe(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
            QStringLiteral("Put a message on a Varo LED message board: one frame to a serial port (COM#),\n"
                           "as one UDP broadcast datagram (UDP#) or to a serial device server's raw TCP\n"
                           "port (TCP:HOST:PORT). Without MESSAGE, or with \"-\", each\n"
                           "line of standard input is one frame. Exit status: 0 every frame sent,\n"
                           "1 the transport failed, 2 bad usage or a field that fails its check."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({ board, bright, mode, dryRun, hex, interval, verbose });
    parser.addPositionalArgument(QStringLiteral("TRANSPORT"),
                                 QStringLiteral("COM#, UDP# or TCP:HOST:PORT, # and PORT from 1 to 65535."));
    parser.addPositionalArgument(QStringLiteral("MESSAGE"),
                                 QStringLiteral("The words of the message, joined by single spaces."),
                                 QStringLiteral("[MESSAGE...]"));
}

} // namespace

SendOptions::Parsed SendOptions::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    // Options come before TRANSPORT; after it every word is the message's,
    // so "Temperature -5 degrees" is sent as written.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    describe(parser);
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        return { ShowHelp, {}, parser.helpText() };
    if (parser.isSet(QStringLiteral("version")))
        return { ShowVersion, {}, QStringLiteral("VaroSend %1.%2").arg(VMB_VERSION_MAJOR).arg(VMB_VERSION_MINOR) };

    QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return usageError(QStringLiteral("Missing TRANSPORT: give COM# or UDP#."));
    Parsed parsed { Run };
    SendRequest &request = parsed.request;
    request.transport = words.takeFirst();
    // A script's unset variable must not mean COM1, as no argument does in the window.
    if (request.transport.trimmed().isEmpty())
        return usageError(QStringLiteral("Missing TRANSPORT: give COM# or UDP#."));
    request.fields.presentIndex = modeIndex(parser.value(mode));
    if (request.fields.presentIndex < 0)
        return usageError(QStringLiteral("Unknown mode \"%1\": give left, right, center, slow, medium, fast or 0 to 5.")
                                  .arg(parser.value(mode)));
    request.intervalMs = intervalMs(parser.value(interval));
    if (request.intervalMs < 0)
        return usageError(QStringLiteral("Invalid interval \"%1\": give seconds from 0 to %2, such as 0.5.")
                                  .arg(parser.value(interval), QString::number(longestIntervalSeconds)));
    request.fields.boardNum = parser.value(board);
    request.fields.bright = parser.value(bright);
    request.readsInput = words.isEmpty() || words == QStringList { QStringLiteral("-") };
    if (!request.readsInput)
        request.fields.message = words.join(u' ');
    request.dryRun = parser.isSet(dryRun);
    request.hex = parser.isSet(hex);
    request.verbose = parser.isSet(verbose);
    return parsed;
}
