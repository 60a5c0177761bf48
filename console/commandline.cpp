#include "commandline.h"

#include "completion.h"
#include "csvlist.h"
#include "datacheck.h"
#include "exitstatus.h"
#include "help.h"
#include "numbers.h"
#include "options.h"
#include "output.h"

#include "lookup/network.h"
#include "resources/catalogue.h"
#include "zunova/version.h"

#include <QCommandLineParser>

#include <cerrno>
#include <csignal>

namespace zunova::console {
namespace {

// The parser's own words for arguments it cannot parse, marked in its context so that the
// catalogue carries their Japanese: the command line does not rely on Qt's translations being
// installed.
[[maybe_unused]] const char* const kParserTexts[] = {
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unknown option '%1'."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unknown options: %1."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Missing value after '%1'."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unexpected value after '%1'."),
};

// What went wrong, the usage line, and where to read the rest.
int usageError(const QString& text) {
    printMessage(text);
    printLine(usageLine());
    printLine(Texts::tr("Try 'zunova --help' for more information."));
    return kTrouble;
}

// The parser knows every option of the table; --help is written from the table itself.
void addOptions(QCommandLineParser& parser) {
    for (const Option& option : options()) {
        QStringList names;
        if (option.shortName)
            names << QLatin1StringView(option.shortName);
        names << QLatin1StringView(option.longName);
        parser.addOption(QCommandLineOption(names, QString(),
                                            option.value ? QStringLiteral("value") : QString()));
    }
}

bool isSet(const QCommandLineParser& parser, const char* option) {
    return parser.isSet(QLatin1StringView(option));
}

// The values of the options that go with --csv.
ListOptions listOptions(const QCommandLineParser& parser) {
    auto valueOf = [&](const char* option) {
        return isSet(parser, option) ? std::optional(parser.value(QLatin1StringView(option)))
                                     : std::nullopt;
    };
    return {valueOf("column"), valueOf("encoding"), valueOf("sheet"), valueOf("output"),
            isSet(parser, "verbose")};
}

// --csv FILE and the options that go with it.
int runList(const QCommandLineParser& parser, ClosedStreams closed, Output& out) {
    if (!isSet(parser, "csv"))
        return usageError(
            Texts::tr("--column, --encoding, --sheet, -o and --verbose are only for --csv"));
    if (isSet(parser, "check") || isSet(parser, "kind") || !parser.positionalArguments().isEmpty())
        return usageError(Texts::tr("--csv takes one FILE and no other input"));
    QString why;
    const auto request = listRequest(parser.value(QStringLiteral("csv")), listOptions(parser), why);
    if (!request)
        return usageError(why);
    if (request->file == u'-' && closed.input) {
        printSystemError(Texts::tr("standard input"), EBADF);
        return kTrouble;
    }
    return addCarriers(*request, out);
}

// --check FILE... [--kind k|p]
int runCheck(const QCommandLineParser& parser, Output& out) {
    const lookup::Network* network = nullptr;
    if (isSet(parser, "kind")) {
        const QString value = parser.value(QStringLiteral("kind"));
        network = value.size() == 1 ? lookup::networkOfLetter(value[0]) : nullptr;
        if (!network)
            return usageError(Texts::tr("--kind takes k or p, not '%1'").arg(value));
    }
    if (parser.positionalArguments().isEmpty())
        return usageError(Texts::tr("--check needs at least one FILE"));
    return checkDataFiles(parser.positionalArguments(), network, out);
}

// --complete OPTION: the values the bash completion offers for OPTION.
int runComplete(const QCommandLineParser& parser, Output& out) {
    const Option* option = findOption(parser.value(QStringLiteral("complete")));
    if (!option || !isSet(parser, "csv"))
        return kTrouble;
    return printListValues(*option, parser.value(QStringLiteral("csv")), listOptions(parser), out);
}

// Parses the arguments and runs what they ask for; returns the exit status.
int runMode(const QStringList& arguments, ClosedStreams closed, Output& out) {
    QCommandLineParser parser;
    addOptions(parser);
    if (!parser.parse(arguments))
        return usageError(parser.errorText());

    if (isSet(parser, "help")) {
        out.append(helpText());
        return 0;
    }
    if (isSet(parser, "version")) {
        out.append(QStringLiteral("zunova %1\n").arg(QString::fromLatin1(kVersionString)));
        return 0;
    }
    if (isSet(parser, "complete"))
        return runComplete(parser, out);

    // A reader that goes away early (| head) shows as a failed write, which ends the run quietly.
    std::signal(SIGPIPE, SIG_IGN);

    if (isSet(parser, "csv") || isSet(parser, "column") || isSet(parser, "encoding") ||
        isSet(parser, "sheet") || isSet(parser, "output") || isSet(parser, "verbose"))
        return runList(parser, closed, out);
    if (isSet(parser, "check"))
        return runCheck(parser, out);
    if (isSet(parser, "kind"))
        return usageError(Texts::tr("--kind is only for --check"));
    if (parser.positionalArguments().isEmpty())
        return usageError(Texts::tr("no NUMBER given"));
    return lookUpNumbers(parser.positionalArguments(), out, closed.input);
}

} // namespace

int run(int argc, char* argv[], ClosedStreams closed) {
    // Messages in the user's language; what is written into a list stays the same in every one.
    if (catalogue::userReadsJapanese())
        catalogue::installJapanese();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << decodeKeepingBytes(argv[i]);
    // Output is many short lines: one large buffer, written at once line by line on a terminal.
    Output out(1, closed.output);
    const int status = runMode(arguments, closed, out);
    // Whatever the run did, it failed if its output did not reach standard output.
    return out.finish() ? status : kTrouble;
}

} // namespace zunova::console
