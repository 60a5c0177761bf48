#include "messages.h"

#include "resources/catalogue.h"

#include "lookup/writtennumber.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>

namespace zunova::list {
namespace {

constexpr int kMiB = 1024 * 1024;

// A column's letters: "A" for 1, "XFD" for 16384.
QString columnLetters(int column) {
    QString name;
    for (; column > 0; column = (column - 1) / 26)
        name.prepend(QChar(u'A' + (column - 1) % 26));
    return name;
}

// A problem's text and, per front, what the user can do about it.
struct Words {
    const char* text = nullptr;
    const char* commandLine = nullptr;
    const char* window = nullptr;
};

// The texts, each marked for the catalogue (context "zunova::list").
class Texts {
    Q_DECLARE_TR_FUNCTIONS(zunova::list)

public:
    static QString japanese(const char* source) {
        return catalogue::inJapanese("zunova::list", source);
    }
    static QString translated(const char* source) { return tr(source); }

    static Words file(const Outcome& outcome);
    static Words text(const Outcome& outcome);
    static Words workbook(const Outcome& outcome);
    static QString systemError(int error);
    static QString where(const Outcome& outcome);
    static QString joined(const QString& text, const QString& hint);
    static QString doubtfulEncoding(const QString& encoding, Front front);
    static QString unclosedQuote(qint64 lines, Front front);
    static QString note(const Note& note, QString (*language)(const char*));
    static QString layout(const QString& sheet, qint64 headerLine, int numberColumn,
                          const QString& columnName);
    static QStringList counts(const RowCounts& counts, const AnswerTable& answers,
                              bool zerosDropped);
    static QString errorNumber(const runtime::RuntimeError& error);
    static QString missingDataFile(const runtime::RuntimeError& error, const QString& folder);
};

Words Texts::file(const Outcome& outcome) {
    switch (outcome.problem) {
    case Problem::Folder:
        return {QT_TR_NOOP("a folder, not a file")};
    case Problem::NotAFile:
        return {QT_TR_NOOP("not a regular file, but a FIFO, a device or a socket")};
    case Problem::Changed:
        return {QT_TR_NOOP("it changed while it was read"),
                QT_TR_NOOP("the rows written may mix old and new contents"),
                QT_TR_NOOP("open it again once it is saved whole")};
    case Problem::TooLarge:
        return {QT_TR_NOOP("larger than %1 MiB, the most a list is read whole"), nullptr,
                QT_TR_NOOP("a text list that large can be given to the command line: zunova "
                           "--csv")};
    case Problem::Cancelled:
        return {QT_TR_NOOP("stopped")};
    default:
        return {};
    }
}

Words Texts::text(const Outcome& outcome) {
    switch (outcome.problem) {
    case Problem::Empty:
        return {QT_TR_NOOP("no rows: nothing to look up")};
    case Problem::Binary:
        return {QT_TR_NOOP("not a text file (NUL or control bytes)")};
    case Problem::NotUtf16:
        return {QT_TR_NOOP("not valid UTF-16, though it begins with a UTF-16 byte-order mark")};
    case Problem::NotInEncoding:
        return {outcome.readsAs.isEmpty()
                    ? QT_TR_NOOP("from here on not %1, which its start was read in")
                    : QT_TR_NOOP("from here on not %1, which its start was read in (it reads "
                                 "as %2)"),
                QT_TR_NOOP("nothing from here on is written; give its encoding with --encoding"),
                QT_TR_NOOP("choose its encoding")};
    case Problem::EncodingUnavailable:
        return {QT_TR_NOOP("Shift_JIS cannot be read or written on this system (iconv has no "
                           "CP932)")};
    case Problem::RowTooLong:
        return {outcome.lines > 1 ? QT_TR_NOOP("a quote opened on this line does not close "
                                               "within %1 MiB (it took in %2 lines)")
                                  : QT_TR_NOOP("a line longer than %1 MiB"),
                QT_TR_NOOP("nothing from it on is written")};
    case Problem::UnclosedQuote:
        return {QT_TR_NOOP("a quote opened on this line never closes: it takes in the rest of "
                           "the list, which leaves no rows of numbers")};
    case Problem::HeaderOnly:
        return {QT_TR_NOOP("a header row alone: nothing to look up")};
    case Problem::MissingDataFile:
        return {QT_TR_NOOP("a data file could not be opened: no number of its kind is looked "
                           "up")};
    case Problem::NoNumberColumn:
        return {QT_TR_NOOP("no column holds a telephone number"),
                QT_TR_NOOP("choose one with --column")};
    case Problem::NoSuchColumn:
        return {outcome.asked.toInt() > 0 ? QT_TR_NOOP("no row has a column %1")
                                          : QT_TR_NOOP("no column is named '%1'")};
    case Problem::TooManyRows:
        return {QT_TR_NOOP("more than %1 rows"), nullptr,
                QT_TR_NOOP("a text list that long can be given to the command line: zunova "
                           "--csv")};
    default:
        return {};
    }
}

Words Texts::workbook(const Outcome& outcome) {
    switch (outcome.problem) {
    case Problem::NotZip:
        return {QT_TR_NOOP("not an Excel workbook (not a zip, as an .xlsx is)")};
    case Problem::NotWorkbook:
        return {QT_TR_NOOP("not an Excel workbook (no workbook in it)")};
    case Problem::Encrypted:
        return {QT_TR_NOOP("a workbook protected by a password: take the protection off and "
                           "save it again")};
    case Problem::BinaryWorkbook:
        return {QT_TR_NOOP("an Excel workbook of the old binary kind (.xls or .xlsb): save it "
                           "as .xlsx or as CSV")};
    case Problem::NoSheet:
        return {QT_TR_NOOP("a workbook without a worksheet")};
    case Problem::NoSuchSheet:
        return {outcome.asked.toInt() > 0 ? QT_TR_NOOP("no sheet %1")
                                          : QT_TR_NOOP("no sheet is named '%1'")};
    case Problem::NoSheetNumbers:
        return {QT_TR_NOOP("no sheet shown as a tab has a column of telephone numbers"),
                QT_TR_NOOP("choose one with --sheet and --column")};
    case Problem::PartTooLarge:
        return {QT_TR_NOOP("a part of the workbook larger than %1 MiB")};
    case Problem::Damaged:
        return {QT_TR_NOOP("a damaged workbook")};
    case Problem::XmlEncoding:
        return {QT_TR_NOOP("a part of the workbook in an XML encoding this program does not read "
                           "(it reads UTF-8, UTF-16 and ISO-8859-1)")};
    case Problem::TooLargeInside:
        return {QT_TR_NOOP("a workbook larger inside than this program reads: more than %1 "
                           "parts, %2 sheets, or %3 MiB of sheets to look through")};
    case Problem::NoRoom:
        return {QT_TR_NOOP("no room for the new columns: the sheet's cells reach its last "
                           "column")};
    case Problem::CannotWrite:
        return {QT_TR_NOOP("the workbook's copy could not be made")};
    case Problem::ModuleUnavailable:
        return {QT_TR_NOOP("workbooks cannot be read here: the module that reads them cannot "
                           "be loaded (%1)")};
    default:
        return {};
    }
}

QString Texts::systemError(int error) {
    switch (error) {
    case ENOENT:
        return tr("no such file or folder");
    case EACCES:
    case EPERM:
        return tr("permission denied");
    case EISDIR:
        return tr("a folder, not a file");
    case ENOSPC:
    case EDQUOT:
        return tr("no space left on the disk");
    case EROFS:
        return tr("a read-only place");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

QString Texts::where(const Outcome& outcome) {
    if (!outcome.part.isEmpty())
        return outcome.line > 0 ? tr("%1, row %2").arg(outcome.part).arg(outcome.line)
                                : outcome.part;
    return outcome.line > 0 ? tr("line %1").arg(outcome.line) : QString();
}

QString Texts::joined(const QString& text, const QString& hint) {
    return tr("%1; %2").arg(text, hint);
}

QString Texts::doubtfulEncoding(const QString& encoding, Front front) {
    const QString text =
        tr("neither UTF-8 nor Shift_JIS reads every byte; read as %1").arg(encoding);
    return front == Front::CommandLine
               ? tr("%1 (choose another with --encoding)").arg(text)
               : tr("%1: if it looks wrong, choose another encoding").arg(text);
}

QString Texts::unclosedQuote(qint64 lines, Front front) {
    if (lines == 1)
        return front == Front::CommandLine
                   ? tr("a quote opened on this line never closes: this last line was read as "
                        "one row, written as it is without a carrier")
                   : tr("a quote opened on this line never closes: this last line was read as "
                        "one row, which a save writes as it is");
    return front == Front::CommandLine
               ? tr("a quote opened on this line never closes: the %1 lines from here to the end "
                    "were read as one row, written as they are without a carrier")
                     .arg(lines)
               : tr("a quote opened on this line never closes: the %1 lines from here to the end "
                    "were read as one row, which a save writes as it is")
                     .arg(lines);
}

// A note's words, in the user's language or in Japanese.
QString Texts::note(const Note& note, QString (*language)(const char*)) {
    switch (note.kind) {
    case Note::Kind::BlankRow:
        return language(QT_TR_NOOP("a blank row"));
    case Note::Kind::UnclosedQuote:
        return language(QT_TR_NOOP("a quote that never closes runs from here to the end of the "
                                   "list"));
    case Note::Kind::NoNumber:
        return language(QT_TR_NOOP("no number"));
    case Note::Kind::ZeroRestored:
        return language(QT_TR_NOOP("the leading 0 a spreadsheet dropped was put back"));
    case Note::Kind::FieldCount:
        return (note.fields == 1
                    ? language(QT_TR_NOOP("1 field where most rows have %2"))
                    : language(QT_TR_NOOP("%1 fields where most rows have %2")).arg(note.fields))
            .arg(note.width);
    case Note::Kind::NoData:
        return language(QT_TR_NOOP("%1 numbers are not looked up: there is no data for them"))
            .arg(note.number.left(3));
    case Note::Kind::Several:
        // Only a carrier is the number's carrier: a warning is said of the number instead.
        return (note.answer && std::holds_alternative<lookup::Carrier>(*note.answer)
                    ? language(QT_TR_NOOP("the cell holds several numbers: this is %1's carrier"))
                    : language(QT_TR_NOOP("the cell holds several numbers: this answers %1")))
            .arg(note.number);
    case Note::Kind::ControlByte:
        return language(QT_TR_NOOP("a control character in the row, kept as it is"));
    case Note::Kind::Warning: // the query's own words, in every language
        return lookup::fixedText(std::get<lookup::Warning>(*note.answer).text);
    case Note::Kind::Error:
        break;
    }
    return {};
}

QString Texts::missingDataFile(const runtime::RuntimeError& error, const QString& folder) {
    return tr("%1 (looked for in %2)").arg(errorText(error), folder);
}

QString Texts::errorNumber(const runtime::RuntimeError& error) {
    return tr("error %1: %2").arg(int(error.number())).arg(error.text());
}

QString Texts::layout(const QString& sheet, qint64 headerLine, int numberColumn,
                      const QString& columnName) {
    const bool sheetRows = !sheet.isNull();
    const QString column =
        sheetRows ? columnLetters(numberColumn + 1) : QString::number(numberColumn + 1);
    QString text = columnName.isEmpty() ? tr("numbers in column %1").arg(column)
                                        : tr("numbers in column %1 (%2)").arg(column, columnName);
    if (headerLine > 0)
        text = (sheetRows ? tr("%1, header in row %2") : tr("%1, header on line %2"))
                   .arg(text)
                   .arg(headerLine);
    return sheetRows ? tr("sheet %1: %2").arg(sheet, text) : text;
}

QStringList Texts::counts(const RowCounts& counts, const AnswerTable& answers, bool zerosDropped) {
    QStringList items;
    for (int network = 0; network < lookup::kNetworkCount; ++network) {
        QStringList carriers;
        for (int row = 0; row < lookup::kMaxCarriers; ++row) {
            const lookup::AnswerId id = lookup::carrierAnswer(network, row);
            if (counts.answers[id] > 0)
                carriers << tr("%1 %2")
                                .arg(std::get<lookup::Carrier>(*answers[id]).name())
                                .arg(counts.answers[id]);
        }
        if (!carriers.isEmpty())
            items << tr("%1: %2").arg(network == 0 ? tr("cellular") : tr("PHS"),
                                      carriers.join(tr(", ")));
    }
    qint64 warnings =
        counts.answers[lookup::kWrongLengthAnswer] + counts.answers[lookup::kNotMobileAnswer];
    qint64 errors = 0;
    for (int id = lookup::kNumberErrorAnswer; id < lookup::kAnswerIds; ++id)
        errors += counts.answers[std::size_t(id)];
    if (warnings > 0)
        items << tr("warnings %1").arg(warnings);
    if (errors > 0)
        items << tr("errors %1").arg(errors);
    if (counts.withoutNumber > 0)
        items << tr("without a number %1").arg(counts.withoutNumber);
    items << (counts.listed == 1 ? tr("1 row in all") : tr("%1 rows in all").arg(counts.listed));
    if (zerosDropped && counts.zerosRestored > 0)
        items << tr("every number had lost its leading 0 (stored as a number): it was put back");
    if (counts.controlBytes > 0)
        items << (counts.controlBytes == 1
                      ? tr("1 row holds a control character (on line %1), kept as it is")
                            .arg(counts.firstControlLine)
                      : tr("%1 rows hold a control character (the first on line %2), kept as "
                           "they are")
                            .arg(counts.controlBytes)
                            .arg(counts.firstControlLine));
    return items;
}

// The arguments a problem's text takes.
QString withArguments(const char* source, const Outcome& outcome) {
    const QString text = Texts::translated(source);
    switch (outcome.problem) {
    case Problem::TooLarge:
        return text.arg(kMaxHeldBytes / kMiB);
    case Problem::PartTooLarge:
        return text.arg(kMaxPartBytes / kMiB);
    case Problem::TooLargeInside:
        return text.arg(kMaxParts).arg(kMaxSheets).arg(kMaxSheetBytesRead / kMiB);
    case Problem::TooManyRows:
        return text.arg(kMaxRows);
    case Problem::RowTooLong:
        return outcome.lines > 1 ? text.arg(kMaxRowBytes / kMiB).arg(outcome.lines)
                                 : text.arg(kMaxRowBytes / kMiB);
    case Problem::NotInEncoding:
        return outcome.readsAs.isEmpty() ? text.arg(outcome.encoding)
                                         : text.arg(outcome.encoding, outcome.readsAs);
    case Problem::NoSuchColumn:
    case Problem::NoSuchSheet:
        return text.arg(outcome.asked);
    case Problem::ModuleUnavailable:
        return text.arg(outcome.reason);
    default:
        return text;
    }
}

} // namespace

QString systemErrorText(int error) {
    return Texts::systemError(error);
}

QString problemText(const Outcome& outcome, Front front) {
    if (outcome.problem == Problem::Unreadable)
        return systemErrorText(outcome.systemError);
    Words words = Texts::file(outcome);
    if (!words.text)
        words = Texts::text(outcome);
    if (!words.text)
        words = Texts::workbook(outcome);
    if (!words.text)
        return {};
    const QString text = withArguments(words.text, outcome);
    const char* hint = front == Front::CommandLine ? words.commandLine : words.window;
    return hint ? Texts::joined(text, Texts::translated(hint)) : text;
}

QString whereText(const Outcome& outcome) {
    return Texts::where(outcome);
}

QString doubtfulEncodingText(const QString& encoding, Front front) {
    return Texts::doubtfulEncoding(encoding, front);
}

QString unclosedQuoteText(qint64 lines, Front front) {
    return Texts::unclosedQuote(lines, front);
}

QList<Note> notesOf(const ListRow& row, const AnswerTable& answers, const Layout& layout,
                    const QString& number) {
    if (row.kind == RowKind::Blank)
        return {{Note::Kind::BlankRow}};
    if (row.kind == RowKind::Unclosed)
        return {{Note::Kind::UnclosedQuote}};
    if (!isListed(row.kind))
        return {};
    QList<Note> notes;
    if (row.kind == RowKind::NoNumber)
        notes.append({Note::Kind::NoNumber});
    if (row.kind == RowKind::Number)
        notes += notesOf(*answers[row.answer], row.zeroRestored && !layout.zerosDropped, number);
    if (row.several)
        notes.append({Note::Kind::Several, &*answers[row.answer], 0, 0, number});
    const int own = layout.ownCells(row.fields);
    if (layout.width > 0 && own != layout.ownWidth())
        notes.append({Note::Kind::FieldCount, nullptr, own, layout.ownWidth()});
    if (row.controlBytes)
        notes.append({Note::Kind::ControlByte});
    return notes;
}

QList<Note> notesOf(const lookup::Answer& answer, bool zeroRestored, const QString& number) {
    QList<Note> notes;
    if (zeroRestored)
        notes.append({Note::Kind::ZeroRestored});
    if (std::holds_alternative<lookup::Warning>(answer)) {
        notes.append({Note::Kind::Warning, &answer});
        // A mobile number of a kind there are no data for: the warning alone reads as false.
        if (lookup::isMobileNumber(number) && !lookup::networkForPrefix(number[1]))
            notes.append({Note::Kind::NoData, nullptr, 0, 0, number});
    } else if (std::holds_alternative<runtime::RuntimeError>(answer)) {
        notes.append({Note::Kind::Error, &answer});
    }
    return notes;
}

QString noteText(const Note& note) {
    if (note.kind == Note::Kind::Error)
        return errorText(std::get<runtime::RuntimeError>(*note.answer));
    return Texts::note(note, Texts::translated);
}

QString listNote(const QList<Note>& notes) {
    QStringList words;
    for (const Note& note : notes) {
        // The error box's own report, on one line.
        if (note.kind == Note::Kind::Error)
            words << std::get<runtime::RuntimeError>(*note.answer)
                         .report()
                         .replace(QStringLiteral("\n\n"), QStringLiteral(" "))
                         .replace(u'\n', u' ');
        else
            words << Texts::note(note, Texts::japanese);
    }
    return words.join(u' ');
}

QString layoutText(const QString& sheet, qint64 headerLine, int numberColumn,
                   const QString& columnName) {
    return Texts::layout(sheet, headerLine, numberColumn, columnName);
}

QStringList countItems(const RowCounts& counts, const AnswerTable& answers, bool zerosDropped) {
    return Texts::counts(counts, answers, zerosDropped);
}

QString missingDataFileText(const runtime::RuntimeError& error, const QString& folder) {
    return Texts::missingDataFile(error, folder);
}

QString errorNumberText(const runtime::RuntimeError& error) {
    return Texts::errorNumber(error);
}

QString errorText(const runtime::RuntimeError& error) {
    const QString what = errorNumberText(error);
    if (error.file().isEmpty())
        return what;
    return error.line() > 0 ? QStringLiteral("%1:%2: ").arg(error.file()).arg(error.line()) + what
                            : error.file() + QStringLiteral(": ") + what;
}

} // namespace zunova::list
