#include "options.h"

#include <QCoreApplication>

#include <array>
#include <vector>

namespace zunova::console {
namespace {

// The texts are marked for translation in the context "zunova::options" (kOptionsContext);
// lupdate reads the literal, so it is written out each time.
const std::array kOptions{
    Option{
        nullptr, "check", nullptr,
        QT_TRANSLATE_NOOP("zunova::options",
                          "Check the data files given instead of looking numbers up."),
        QT_TRANSLATE_NOOP(
            "zunova::options",
            "Read each data _FILE_ to its end, or to its first run-time error (no lookup ever "
            "gets past it), and report every problem on standard error as\n\n"
            "_FILE_*:*_LINE_*: *_text_\n\n"
            "and a summary on standard output: the records read, the run-time errors a lookup "
            "would meet (13, 6, 62 and 57) with their lines, keys outside 0 to 999, duplicate "
            "keys (only the first record of a key is ever used), codes that have no carrier name "
            "for the file's kind, and data after a DOS end-of-file mark that ends the data early "
            "(anything but blank space and further marks), which no lookup ever reads. "
            "A field not written as a plain decimal integer (such as &H7FFF, 1e3 or 2.5) is read "
            "as it always has been and reported with the value it was read as; it, too, makes "
            "the file not clean. "
            "A file named _p.dat_ is checked as PHS data, any other name as cellular data."),
        Completion::Nothing, nullptr, Completion::File},
    Option{nullptr, "kind", QT_TRANSLATE_NOOP("zunova::options", "*k*|*p*"),
           QT_TRANSLATE_NOOP("zunova::options",
                             "With *--check*: the files hold cellular (*k*) or PHS (*p*) blocks. "
                             "Default: *p* for a file named _p.dat_, *k* for any other."),
           QT_TRANSLATE_NOOP("zunova::options",
                             "With *--check*: check every _FILE_ as cellular (*k*) or PHS (*p*) "
                             "data, whatever its name."),
           Completion::Words, "k p"},
    Option{
        nullptr, "csv", QT_TRANSLATE_NOOP("zunova::options", "_FILE_"),
        QT_TRANSLATE_NOOP("zunova::options",
                          "Add the carrier and a note to every row of the list _FILE_ (*-* for "
                          "standard input)."),
        QT_TRANSLATE_NOOP(
            "zunova::options",
            "Add the carrier and a note to every row of the list in _FILE_ (*-* for standard "
            "input) and write the rows to standard output. "
            "A list is one number a line, or rows delimited by commas, tabs or semicolons, quoted "
            "as RFC 4180 says (a quoted field may hold delimiters, doubled quotes and line "
            "breaks). "
            "Its encoding is UTF-8 (with or without a byte-order mark), UTF-16 with a byte-order "
            "mark, or Shift_JIS (CP932, as spreadsheet programs in Japan save CSV); it is found "
            "from the first megabyte after any blank lines (a file whose first megabyte is ASCII "
            "alone is read ahead for it), and *--encoding* overrides it. "
            "Rows that later stop reading in that encoding stop the run, with their line: a list "
            "is never written in two encodings.\n\n"
            "Each row's number is read as people and programs write it (*090-1234-5678*, "
            "*(070) 1220 5678*, *+81 90-1234-5678*, *TEL:090-1234-5678*, *=\"09012345678\"*, "
            "and 81 and ten digits run together, as SMS gateways write it: *819012345678*); ten "
            "digits beginning 90, 80, 70 or 60 get back the leading zero a spreadsheet dropped. "
            "Digits glued to letters (*SM3aca1d04*) are an ID, not a number. "
            "Of several numbers in a cell, the first the data files answer is taken.\n\n"
            "The header is the row of names just above the first rows of numbers; rows above it "
            "(a title, a date) are written as they are, with nothing added, and not counted. "
            "The number column is the one that holds the most mobile numbers (0X0 and eight "
            "digits), a header that names the person's mobile (携帯, モバイル, mobile, cell) "
            "breaking a tie, else the leftmost; a column whose header names someone else's "
            "number (緊急, 連絡先, 勤務先, 会社, 保護者, 自宅, FAX) only where no other holds "
            "any. "
            "A list without mobile numbers takes the column that most often holds a telephone "
            "number. "
            "*--column* chooses another.\n\n"
            "Each row is written exactly as it was read, in the list's own encoding, delimiter, "
            "quoting and line ends, control characters included, with two fields added after "
            "its last, quoted like it: the carrier, or nothing where the number got a warning "
            "or an error or the row has no number; and a note, the reason where there is one "
            "(the warning or error, *番号がありません。* for a row without a number, a zero put "
            "back, which of several numbers was taken, a field count unlike most rows'). "
            "The header gets *キャリア* and *備考* (*備考2* where the list has a *備考*); a "
            "header that already ends in *キャリア* (and *備考*), as an earlier run left it, "
            "gets them written again in their place. "
            "A row with fewer fields than most rows gets empty fields first, so the carriers "
            "stand in one column; a blank line stays blank; a list of one number a line gets a "
            "tab before each added field. "
            "Every number is answered exactly as *zunova -* answers it, each data file read "
            "once. "
            "The list streams through: memory stays bounded whatever its size.\n\n"
            "Once the list is written, standard error gets one line: which header and column "
            "were read (for a workbook, which sheet) and how many rows got each carrier, a "
            "warning, an error or no number, as\n\n"
            "*zunova: *_FILE_*: numbers in column *_N_* (*_NAME_*), header on line *_LINE_*: "
            "*_counts_\n\n"
            "*-v* adds a line for each row with a note. "
            "Where _k.dat_ or _p.dat_ cannot be opened, the run says so once, with the folder it "
            "looked in, and stops. "
            "A list that is empty, binary, has no number in any column, a quote that never closes "
            "(its rows are written as they were, with nothing added), a row longer than 16 MiB, "
            "or that changes while it is read is reported on standard error.\n\n"
            "An Excel workbook (_.xlsx_, _.xlsm_, known by its content or its name) is read "
            "whole, as the window caps it (256 MiB, 10 million rows): its cells as the "
            "spreadsheet shows them (shared and inline strings, numbers, the last value of a "
            "formula; dates and booleans are not numbers), each row answered exactly as a CSV of "
            "the same rows. "
            "The sheet is, of those shown as tabs, the one with the most mobile numbers; a "
            "hidden sheet is read only where *--sheet* names it. "
            "Rows that a merged number cell covers below its first are the same person's: "
            "nothing is added to them. "
            "What is written is a copy of the workbook with a column added to the sheet after its "
            "last used one, headed *キャリア*, holding each row's carrier, and after it, where "
            "some row has a note, a *備考* column; a sheet whose header has a *キャリア* column "
            "already gets it written again. "
            "Every other part of the workbook is copied unchanged. "
            "A workbook is not written to a terminal: give *-o* or send standard output to a "
            "file. "
            "A file that is not a workbook though its name says so, a password-protected "
            "workbook and the old binary _.xls_ (save it as _.xlsx_ or CSV) are reported on "
            "standard error."),
        Completion::File, "-"},
    Option{nullptr, "column", QT_TRANSLATE_NOOP("zunova::options", "_N_|_NAME_"),
           QT_TRANSLATE_NOOP("zunova::options",
                             "With *--csv*: the number column, by position (from 1) or by the "
                             "header's name."),
           QT_TRANSLATE_NOOP("zunova::options",
                             "With *--csv*: the number column, by position (from 1) or by its "
                             "name; the first row that holds the name is the header."),
           Completion::Columns},
    Option{nullptr, "encoding", QT_TRANSLATE_NOOP("zunova::options", "_NAME_"),
           QT_TRANSLATE_NOOP("zunova::options",
                             "With *--csv*: the list's encoding, where it is not the one found: "
                             "*utf-8*, *shift_jis*, *utf-16le* or *utf-16be*."),
           QT_TRANSLATE_NOOP("zunova::options",
                             "With *--csv*: read (and write) the list as *utf-8*, *shift_jis* "
                             "(*cp932*), *utf-16le* or *utf-16be*. "
                             "A list of ASCII only is taken as UTF-8, which decides how the "
                             "carrier names are written."),
           Completion::Words, "utf-8 shift_jis utf-16le utf-16be"},
    Option{nullptr, "sheet", QT_TRANSLATE_NOOP("zunova::options", "_N_|_NAME_"),
           QT_TRANSLATE_NOOP("zunova::options",
                             "With *--csv* and a workbook: the sheet, by position (from 1) or by "
                             "name. Default: the sheet shown as a tab with the most mobile "
                             "numbers."),
           QT_TRANSLATE_NOOP("zunova::options",
                             "With *--csv* and a workbook: the sheet, by position (from 1) or by "
                             "name, hidden or not. "
                             "By default, of the sheets shown as tabs, the one that holds the "
                             "most mobile numbers (a cover sheet holds the company's numbers, "
                             "the customers' sheet the customers'), the first of those alike; a "
                             "hidden sheet is never chosen for you."),
           Completion::Sheet},
    Option{"o", "output", QT_TRANSLATE_NOOP("zunova::options", "_FILE_"),
           QT_TRANSLATE_NOOP("zunova::options",
                             "With *--csv*: write to _FILE_, whole or not at all, instead of "
                             "standard output."),
           QT_TRANSLATE_NOOP(
               "zunova::options",
               "With *--csv*: write to _FILE_ instead of standard output. "
               "A regular file, or a new one, gets the output whole or not at all: it is written "
               "to a temporary file beside _FILE_ (unnamed where the file system allows, else "
               "named ._FILE_._XXXXXX_), which takes the name only once the list was read and "
               "written whole. "
               "A list that cannot be read whole or that changes while it is read, a full disk, a "
               "file grown past the size limit, SIGHUP, SIGINT, SIGQUIT and SIGTERM leave nothing "
               "under the name or beside it, and a file that was there as it was; only a run "
               "killed outright (SIGKILL) on a file system without unnamed files may leave its "
               "temporary file. "
               "A file replaced keeps its owner (where the user may give it) and its permissions; "
               "a symbolic link is followed, and kept. "
               "A _FILE_ that exists and is not a regular file (a FIFO, a device such as "
               "_/dev/null_) is written through, as the shell's *>* writes it, and never replaced; "
               "whole or not at all cannot hold there.\n\n"
               "Refused, with nothing written: the list itself, by any name (*./*_FILE_, a "
               "symbolic or a hard link, the file standard input is); a file its owner made "
               "read-only, even for root; a folder; a workbook's copy under a name ending _.csv_, "
               "_.tsv_ or _.txt_, and a text list's rows under a name ending _.xlsx_, _.xlsm_, "
               "_.xls_ or _.xlsb_ (a name ending otherwise is taken as given); a terminal for a "
               "workbook. "
               "Where no file can be made in _FILE_'s folder, _FILE_ is not written in place "
               "either: the error names the folder."),
           Completion::File},
    Option{"v", "verbose", nullptr,
           QT_TRANSLATE_NOOP("zunova::options",
                             "With *--csv*: say on standard error what each row got besides its "
                             "carrier, not just what the whole list got."),
           QT_TRANSLATE_NOOP("zunova::options",
                             "With *--csv*: say on standard error, after each row, what it got "
                             "besides its carrier (the note the list's 備考 column holds), as\n\n"
                             "*zunova: *_FILE_*:*_LINE_*: *_NUMBER_*: *_text_\n\n"
                             "Without it the run says only once which sheet, header and column it "
                             "read the list with, and how many rows got each carrier, a warning, "
                             "an error or no number.")},
    Option{"h", "help", nullptr, QT_TRANSLATE_NOOP("zunova::options", "Show this help and exit."),
           QT_TRANSLATE_NOOP("zunova::options", "Print the usage and exit.")},
    Option{"V", "version", nullptr,
           QT_TRANSLATE_NOOP("zunova::options", "Show the version and exit."), nullptr},
    // The bash completion asks the program for the values it reads from a list: `--complete
    // column --csv FILE` prints the columns of FILE, one a line.
    Option{nullptr, "complete", "OPTION", nullptr, nullptr, Completion::Nothing, nullptr,
           Completion::Nothing, true},
};

} // namespace

std::span<const Option> options() {
    return kOptions;
}

const Option* findOption(QStringView longName) {
    for (const Option& option : kOptions)
        if (longName == QLatin1StringView(option.longName))
            return &option;
    return nullptr;
}

QStringList typedNames(const Option& option) {
    QStringList names;
    if (option.shortName)
        names << QStringLiteral("-") + QLatin1StringView(option.shortName);
    names << QStringLiteral("--") + QLatin1StringView(option.longName);
    return names;
}

QString translated(const char* text) {
    return text ? QCoreApplication::translate(kOptionsContext, text) : QString();
}

QString usageSynopsis() {
    return translated(
        QT_TRANSLATE_NOOP("zunova::options", "[NUMBER... | - | --check FILE... | --csv FILE]"));
}

QString argumentName() {
    return translated(QT_TRANSLATE_NOOP("zunova::options", "NUMBER"));
}

QString argumentHelp() {
    return translated(QT_TRANSLATE_NOOP("zunova::options",
                                        "A number to look up; - reads numbers from standard "
                                        "input. With --check: a data file."));
}

QString description() {
    return translated(QT_TRANSLATE_NOOP(
        "zunova::options",
        "Tells which carrier a Japanese mobile number belongs to.\n"
        "With no arguments, opens the window.\n"
        "\n"
        "  zunova NUMBER...        look each number up as the window does, reading k.dat\n"
        "                          (090) and p.dat (070) from the working directory\n"
        "  zunova -                the same for numbers on standard input, one a line\n"
        "  zunova --check FILE...  report every problem of data files\n"
        "  zunova --csv FILE       add the carrier and a note to every row of a list\n"
        "                          (- reads standard input)\n"
        "\n"
        "A number may be written as people write it: 090-1234-5678, (090) 1234 5678\n"
        "and full-width digits all read as 09012345678.\n"
        "Each number gets one line on standard output: the number as given (control\n"
        "characters and bytes that are not UTF-8 shown as \\xNN), a tab and the\n"
        "carrier. Where the window would warn or report an error, the carrier is\n"
        "empty and standard error says why: \"zunova: NUMBER: TEXT\". Put -- before a\n"
        "number that begins with -.\n"
        "The two warnings: \"１１桁で入力してください。\" (enter 11 digits): the number\n"
        "is not 11 characters long; \"移動電話の番号ではありません。\" (not a mobile\n"
        "number): it does not begin 090 or 070. 080 numbers are not looked up: they\n"
        "get the second warning.\n"
        "The carrier is the one the number's block was first allocated to: a number\n"
        "moved to another carrier by number portability still shows the first one.\n"
        "The p.dat of the sources (samples/p.dat) is illustrative: its 070 answers\n"
        "are not real.\n"
        "--check reads each file as a lookup would and reports its problems on\n"
        "standard error as \"FILE:LINE: TEXT\", with a summary on standard output.\n"
        "--csv reads a list: one number a line, or rows delimited by commas, tabs or\n"
        "semicolons (quoted as in RFC 4180), in UTF-8, UTF-16 with a byte-order mark\n"
        "or Shift_JIS. It writes each row to standard output in the list's own\n"
        "encoding, delimiter and line ends, with two fields added after its last one:\n"
        "the carrier and a note, such as why the row got none. The header is the row\n"
        "of names just above the first rows of numbers: it gets \"キャリア\" and \"備考\",\n"
        "and rows above it are written as they are. The number column is the one with\n"
        "the most mobile numbers (one whose header names someone else's number, such\n"
        "as an emergency contact's, only where no other has any), unless --column\n"
        "names another. Standard error gets one line: the header and column read and\n"
        "how many rows got each carrier, a warning, an error or no number; -v adds a\n"
        "line \"zunova: FILE:LINE: NUMBER: TEXT\" for each row with a note.\n"
        "An Excel workbook (.xlsx, .xlsm) comes back as a copy of itself with a\n"
        "キャリア column (and a 備考 column of notes) added to its sheet, every other\n"
        "part kept; the sheet is the one shown as a tab with the most mobile numbers,\n"
        "unless --sheet names another. A workbook is not written to a terminal.\n"
        "\n"
        "Exit status: 0 when every number got a carrier, a list was read and written\n"
        "whole and some row got a carrier, or every file checked is clean; 1 when\n"
        "some number did not get one, no row of a list did, or a file checked has\n"
        "problems; 2 for trouble: a usage error, a list or data file that could not be\n"
        "read whole, output that did not arrive."));
}

namespace {

// A stretch of markup's text in one font.
struct Run {
    QString text;
    bool bold = false;
    bool italic = false;
};

// One paragraph of markup as runs of text, the markers taken out; the last run has the font the
// paragraph ends in, roman where it is well formed.
std::vector<Run> runsOf(QStringView markup) {
    std::vector<Run> runs(1);
    bool bold = false;
    bool italic = false;
    auto changeFont = [&] {
        if (!runs.back().text.isEmpty())
            runs.emplace_back();
        runs.back().bold = bold;
        runs.back().italic = italic;
    };
    auto isWordCharacter = [&](qsizetype i) {
        return i >= 0 && i < markup.size() && markup[i].isLetterOrNumber();
    };
    for (qsizetype i = 0; i < markup.size(); ++i) {
        const QChar c = markup[i];
        if (c == u'\\' && i + 1 < markup.size()) {
            runs.back().text += markup[++i];
        } else if (c == u'*') {
            bold = !bold;
            changeFont();
        } else if (c == u'_' && !(isWordCharacter(i - 1) && isWordCharacter(i + 1))) {
            italic = !italic;
            changeFont();
        } else {
            runs.back().text += c;
        }
    }
    changeFont();
    return runs;
}

QString roffParagraph(QStringView markup) {
    QString text;
    QString font = QStringLiteral("R");
    for (const Run& run : runsOf(markup)) {
        const QString runFont = run.bold && run.italic ? QStringLiteral("(BI")
                                : run.bold             ? QStringLiteral("B")
                                : run.italic           ? QStringLiteral("I")
                                                       : QStringLiteral("R");
        if (runFont != font && !run.text.isEmpty()) {
            text += QStringLiteral("\\f") + runFont;
            font = runFont;
        }
        for (const QChar c : run.text)
            text += c == u'\\' ? QStringLiteral("\\e") : c == u'-' ? QStringLiteral("\\-") : c;
    }
    if (font != u'R')
        text += QStringLiteral("\\fR");
    // A sentence a line, as roff wants it; a line that would start with a control character
    // starts with the zero-width \& instead.
    text.replace(QStringLiteral(". "), QStringLiteral(".\n"));
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        line = line.trimmed();
        if (line.startsWith(u'.') || line.startsWith(u'\''))
            line.prepend(QStringLiteral("\\&"));
    }
    return lines.join(u'\n');
}

} // namespace

QString plainText(QStringView markup) {
    QString text;
    for (const QStringView paragraph : markup.split(QStringLiteral("\n\n"))) {
        if (!text.isEmpty())
            text += QStringLiteral("\n\n");
        for (const Run& run : runsOf(paragraph))
            text += run.text;
    }
    return text;
}

bool isWellFormed(QStringView markup) {
    for (const QStringView paragraph : markup.split(QStringLiteral("\n\n"))) {
        const Run last = runsOf(paragraph).back();
        if (last.bold || last.italic)
            return false;
    }
    return true;
}

QString roffText(QStringView markup) {
    QStringList paragraphs;
    for (const QStringView paragraph : markup.split(QStringLiteral("\n\n")))
        paragraphs << roffParagraph(paragraph);
    return paragraphs.join(QStringLiteral("\n.IP\n"));
}

} // namespace zunova::console
