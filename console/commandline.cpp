#include "commandline.h"

#include "csvlist.h"
#include "datacheck.h"
#include "exitstatus.h"
#include "numbers.h"
#include "output.h"

#include "lookup/network.h"
#include "zunova/version.h"

#include <QCommandLineParser>

#include <cerrno>
#include <csignal>

namespace zunova::console {
namespace {

const QString kSynopsis = QStringLiteral("[NUMBER... | - | --check FILE... | --csv FILE]");

// What went wrong, the usage line, and where to read the rest.
int usageError(const QString& text) {
    printMessage(text);
    printLine(QStringLiteral("Usage: zunova [options] ") + kSynopsis);
    printLine(QStringLiteral("Try 'zunova --help' for more information."));
    return kTrouble;
}

const QString kDescription = QStringLiteral(
    "Tells which carrier a Japanese mobile number belongs to.\n"
    "With no arguments, opens the window.\n"
    "\n"
    "  zunova NUMBER...        look each number up as the window would, reading k.dat\n"
    "                          (090) and p.dat (070) from the working directory\n"
    "  zunova -                the same for the numbers on standard input, one a line\n"
    "  zunova --check FILE...  report every problem of data files\n"
    "  zunova --csv FILE       add the carrier to every row of a list (- reads\n"
    "                          standard input)\n"
    "\n"
    "A number may be written as people write it: 090-1234-5678, (090) 1234 5678\n"
    "and full-width digits all read as 09012345678.\n"
    "Each number gets one line on standard output: the number as given (control\n"
    "characters and bytes that are not UTF-8 shown as \\xNN), a tab and the\n"
    "carrier. Where the window would warn or report an error, the carrier is\n"
    "empty and standard error says why: \"zunova: NUMBER: TEXT\". Put -- before a\n"
    "number that begins with -.\n"
    "--check reads each file as a lookup would and reports its problems on\n"
    "standard error as \"FILE:LINE: TEXT\", with a summary on standard output.\n"
    "--csv reads a list: one number a line, or rows delimited by commas, tabs or\n"
    "semicolons (quoted as in RFC 4180), in UTF-8, UTF-16 with a byte-order mark\n"
    "or Shift_JIS. It writes each row to standard output with a carrier field\n"
    "added after its last one, in the list's own encoding, delimiter and line\n"
    "ends; a header row gets the field \"キャリア\". The number column is the one in\n"
    "which most rows hold a mobile number, unless --column names another.\n"
    "An Excel workbook (.xlsx, .xlsm) comes back as a copy of itself with a\n"
    "キャリア column (and a 備考 column of notes) added to its sheet, every other\n"
    "part kept; it is not written to a terminal.\n"
    "Warnings and errors go to standard error as \"zunova: FILE:LINE: NUMBER: TEXT\".\n"
    "\n"
    "Exit status: 0 when every number or row got a carrier (or every file is\n"
    "clean); 1 when some got a warning or had no number (or a file has problems);\n"
    "2 for trouble: a usage error, a list or data file that could not be read\n"
    "whole, output that did not arrive.");

// The options, as --help lists them.
struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("V"), QStringLiteral("version")},
                               QStringLiteral("Show the version and exit.")};
    QCommandLineOption check{QStringLiteral("check"),
                             QStringLiteral("Check the data files given instead of looking "
                                            "numbers up.")};
    QCommandLineOption kind{QStringLiteral("kind"),
                            QStringLiteral("With --check: the files hold cellular (k) or PHS (p) "
                                           "blocks. Default: p for a file named p.dat, k for any "
                                           "other."),
                            QStringLiteral("k|p")};
    QCommandLineOption csv{QStringLiteral("csv"),
                           QStringLiteral("Add the carrier to every row of the list FILE (- for "
                                          "standard input)."),
                           QStringLiteral("FILE")};
    QCommandLineOption column{QStringLiteral("column"),
                              QStringLiteral("With --csv: the number column, by position (from 1) "
                                             "or by the header's name."),
                              QStringLiteral("N|NAME")};
    QCommandLineOption encoding{QStringLiteral("encoding"),
                                QStringLiteral("With --csv: the list's encoding, where it is not "
                                               "the one found: utf-8, shift_jis, utf-16le or "
                                               "utf-16be."),
                                QStringLiteral("NAME")};
    QCommandLineOption sheet{QStringLiteral("sheet"),
                             QStringLiteral("With --csv and a workbook: the sheet, by position "
                                            "(from 1) or by name. Default: the first with a column "
                                            "of telephone numbers."),
                             QStringLiteral("N|NAME")};
    QCommandLineOption output{{QStringLiteral("o"), QStringLiteral("output")},
                              QStringLiteral("With --csv: write to FILE, whole or not at all, "
                                             "instead of standard output."),
                              QStringLiteral("FILE")};
};

// --csv FILE and the options that go with it.
int runList(const QCommandLineParser& parser, const Options& options, ClosedStreams closed,
            Output& out) {
    if (!parser.isSet(options.csv))
        return usageError(
            QStringLiteral("--column, --encoding, --sheet and -o are only for --csv"));
    if (parser.isSet(options.check) || parser.isSet(options.kind) ||
        !parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("--csv takes one FILE and no other input"));
    auto valueOf = [&](const QCommandLineOption& option) {
        return parser.isSet(option) ? std::optional(parser.value(option)) : std::nullopt;
    };
    QString why;
    const auto request = listRequest(parser.value(options.csv),
                                     {valueOf(options.column), valueOf(options.encoding),
                                      valueOf(options.sheet), valueOf(options.output)},
                                     why);
    if (!request)
        return usageError(why);
    if (request->file == u'-' && closed.input) {
        printSystemError(QStringLiteral("standard input"), EBADF);
        return kTrouble;
    }
    return addCarriers(*request, out);
}

// --check FILE... [--kind k|p]
int runCheck(const QCommandLineParser& parser, const Options& options, Output& out) {
    const lookup::Network* network = nullptr;
    if (parser.isSet(options.kind)) {
        const QString value = parser.value(options.kind);
        network = value.size() == 1 ? lookup::networkOfLetter(value[0]) : nullptr;
        if (!network)
            return usageError(QStringLiteral("--kind takes k or p, not '%1'").arg(value));
    }
    if (parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("--check needs at least one FILE"));
    return checkDataFiles(parser.positionalArguments(), network, out);
}

// Parses the arguments and runs what they ask for; returns the exit status.
int runMode(const QStringList& arguments, ClosedStreams closed, Output& out) {
    const Options options;
    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    for (const QCommandLineOption* option :
         {&options.help, &options.version, &options.check, &options.kind, &options.csv,
          &options.column, &options.encoding, &options.sheet, &options.output})
        parser.addOption(*option);
    parser.addPositionalArgument(
        QStringLiteral("NUMBER"),
        QStringLiteral("A number to look up; - reads numbers from standard input. With --check: "
                       "a data file."),
        kSynopsis);

    if (!parser.parse(arguments))
        return usageError(parser.errorText());

    if (parser.isSet(options.help)) {
        // The program's name, not the path it was started by.
        QString text = parser.helpText();
        const qsizetype at = text.indexOf(QStringLiteral(" [options]"));
        if (text.startsWith(QStringLiteral("Usage: ")) && at > 0)
            text.replace(0, at, QStringLiteral("Usage: zunova"));
        out.append(text);
        return 0;
    }
    if (parser.isSet(options.version)) {
        out.append(QStringLiteral("zunova %1\n").arg(QString::fromLatin1(kVersionString)));
        return 0;
    }

    // A reader that goes away early (| head) shows as a failed write, which ends the run quietly.
    std::signal(SIGPIPE, SIG_IGN);

    if (parser.isSet(options.csv) || parser.isSet(options.column) ||
        parser.isSet(options.encoding) || parser.isSet(options.sheet) ||
        parser.isSet(options.output))
        return runList(parser, options, closed, out);
    if (parser.isSet(options.check))
        return runCheck(parser, options, out);
    if (parser.isSet(options.kind))
        return usageError(QStringLiteral("--kind is only for --check"));
    if (parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("no NUMBER given"));
    return lookUpNumbers(parser.positionalArguments(), out, closed.input);
}

} // namespace

int run(int argc, char* argv[], ClosedStreams closed) {
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
