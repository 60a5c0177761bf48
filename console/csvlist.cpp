#include "csvlist.h"

#include "exitstatus.h"
#include "output.h"

#include "list/listfile.h"
#include "list/listpipeline.h"
#include "lookup/readonceindex.h"

#include <QBuffer>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <optional>

namespace zunova::console {
namespace {

constexpr qsizetype kReadSize = 64 * 1024;
constexpr int kMiB = 1024 * 1024;

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString problemText(list::Problem problem, const ListRequest& request) {
    switch (problem) {
    case list::Problem::Empty:
        return QStringLiteral("no rows: nothing to look up");
    case list::Problem::HeaderOnly:
        return QStringLiteral("a header row alone: nothing to look up");
    case list::Problem::Binary:
        return QStringLiteral("not a text file (NUL or control bytes)");
    case list::Problem::NotUtf16:
        return QStringLiteral("not valid UTF-16, though it begins with a UTF-16 byte-order mark");
    case list::Problem::EncodingUnavailable:
        // Only Shift_JIS goes through iconv; Qt converts the others itself.
        return QStringLiteral("Shift_JIS cannot be read or written on this system (iconv has no "
                              "CP932)");
    case list::Problem::NoNumberColumn:
        return QStringLiteral("no column holds a telephone number; choose one with --column");
    case list::Problem::NoSuchColumn:
        return request.column.name.isEmpty()
                   ? QStringLiteral("no row has a column %1").arg(request.column.position + 1)
                   : QStringLiteral("no column is named '%1'").arg(request.column.name);
    case list::Problem::Changed:
        return QStringLiteral("changed while it was read: the rows written may mix old and new "
                              "contents");
    case list::Problem::RowTooLong:
    case list::Problem::NotInEncoding:
    case list::Problem::Unreadable:
    case list::Problem::Folder:
    case list::Problem::NotAFile:
    case list::Problem::TooLarge:
    case list::Problem::TooManyRows:
    case list::Problem::Cancelled:
    case list::Problem::Workbook:
    case list::Problem::NoSuchSheet:
    case list::Problem::None:
        break;
    }
    return {};
}

QString workbookProblemText(list::WorkbookProblem problem) {
    switch (problem) {
    case list::WorkbookProblem::NotZip:
        return QStringLiteral("not an Excel workbook (not a zip, as an .xlsx is)");
    case list::WorkbookProblem::NotWorkbook:
        return QStringLiteral("not an Excel workbook (no workbook in it)");
    case list::WorkbookProblem::Encrypted:
        return QStringLiteral("a workbook protected by a password: take the protection off and "
                              "save it again");
    case list::WorkbookProblem::Binary:
        return QStringLiteral("an Excel workbook of the old binary kind (.xls or .xlsb): save it "
                              "as .xlsx or as CSV");
    case list::WorkbookProblem::NoSheet:
        return QStringLiteral("a workbook without a worksheet");
    case list::WorkbookProblem::PartTooLarge:
        return QStringLiteral("a workbook whose sheet is larger than %1 MiB")
            .arg(list::kMaxWorkbookPartBytes / kMiB);
    case list::WorkbookProblem::TooManyRows:
        return QStringLiteral("a sheet of more than %1 rows").arg(list::kMaxSheetRows);
    case list::WorkbookProblem::Damaged:
        return QStringLiteral("a damaged workbook");
    case list::WorkbookProblem::NoRoom:
    case list::WorkbookProblem::CannotWrite:
        return QStringLiteral("the workbook's copy could not be made");
    case list::WorkbookProblem::Unavailable:
        return QStringLiteral("workbooks cannot be read here: the module that reads them "
                              "cannot be loaded");
    case list::WorkbookProblem::None:
        break;
    }
    return {};
}

// Says on standard error what a row got where it is not just a carrier: a warning, an error, no
// number, a dropped zero put back, a field count other than `width`, most rows' (0: none).
// Returns what that makes of the run's status.
ExitStatus sayWhatRowGot(Output& out, const QString& name, qint64 line, const list::ListRow& row,
                         QStringView entered, const list::AnswerTable& answers, int width) {
    ExitStatus status = kAnswered;
    QStringList notes;
    auto about = [&](const QString& note) {
        notes << displayed(entered.toString()) + QStringLiteral(": ") + note;
    };
    if (row.kind == list::RowKind::NoNumber) {
        status = kUnanswered;
        notes << QStringLiteral("no number");
    } else if (row.kind == list::RowKind::Number) {
        if (row.zeroRestored)
            about(QStringLiteral("read with the leading 0 a spreadsheet dropped"));
        const lookup::Answer& answer = *answers[row.answer];
        if (const auto* warning = std::get_if<lookup::Warning>(&answer)) {
            status = kUnanswered;
            about(lookup::fixedText(warning->text));
        } else if (const auto* error = std::get_if<runtime::RuntimeError>(&answer)) {
            // A data file that cannot be read whole is trouble; a number's own error is not.
            status = error->file().isEmpty() ? kUnanswered : kTrouble;
            about(describe(*error));
        }
    }
    if ((row.kind == list::RowKind::Number || row.kind == list::RowKind::NoNumber ||
         row.kind == list::RowKind::Header) &&
        width > 0 && row.fields != width)
        notes << QStringLiteral("%1 fields where most rows have %2").arg(row.fields).arg(width);
    if (!notes.isEmpty()) {
        // The rows stay in order with the messages, also where both go to one log.
        out.flush();
        printMessage(name + u':' + QString::number(line) + QStringLiteral(": ") +
                     notes.join(QStringLiteral("; ")));
    }
    return status;
}

// Writes each row to standard output with its carrier, and says on standard error what went
// wrong with a row, after the row itself.
class StandardOutputSink : public list::RowSink {
public:
    StandardOutputSink(const QString& name, const list::Format& format,
                       const list::AnswerTable& answers, Output& out)
        : m_name(name)
        , m_format(format)
        , m_answers(answers)
        , m_writer(format)
        , m_out(out) {}

    void start() { m_out.append(m_writer.start()); }

    bool take(const list::ListRow& row, QStringView entered) override {
        m_writer.append(m_bytes, row, m_answers);
        m_out.append(QByteArrayView(m_bytes.data(), qsizetype(m_bytes.size())));
        m_bytes.clear(); // keeps its room for the next row
        m_out.endLine();
        m_status = worse(m_status, sayWhatRowGot(m_out, m_name, row.line, row, entered, m_answers,
                                                 m_format.width));
        return !m_out.failed();
    }

    ExitStatus status() const { return m_status; }

private:
    const QString& m_name;
    const list::Format& m_format;
    const list::AnswerTable& m_answers;
    list::RowWriter m_writer;
    Output& m_out;
    std::string m_bytes;
    ExitStatus m_status = kAnswered;
};

// A list whose first megabyte is ASCII alone may be in any encoding: a file takes it from the
// first text after that is not, read ahead before anything is written. True where the whole
// file is ASCII.
bool readAheadForTheEncoding(list::ListInput& input, list::Format& format) {
    QByteArray later;
    qint64 offset = list::kSampleBytes;
    bool atEnd = false;
    while (!atEnd && later.size() < list::kSampleBytes) {
        QByteArray piece;
        const qsizetype got = input.readAhead(piece, offset, kReadSize);
        atEnd = got <= 0;
        offset += got;
        if (later.isEmpty())
            piece = piece.sliced(
                std::find_if(piece.begin(), piece.end(),
                             [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) -
                piece.begin());
        later += piece;
    }
    list::takeEncodingFromLaterText(format, later, atEnd);
    return later.isEmpty();
}

// Where later rows of a streamed list stop reading in `encoding`: what `rest` reads as instead.
QString notInEncodingText(list::Encoding encoding, QByteArrayView rest, bool atEnd) {
    const list::Encoding met = list::encodingOfText(rest, atEnd).first;
    return QStringLiteral("from here on not %1, which its start was read in%2: nothing from here "
                          "on is written; give its encoding with --encoding")
        .arg(list::encodingName(encoding),
             met != encoding ? QStringLiteral(" (it reads as %1)").arg(list::encodingName(met))
                             : QString());
}

// A row past the cap, of `lines` lines: a quote left open, or a line without an end.
QString rowTooLongText(qint64 lines) {
    return lines > 1 ? QStringLiteral("a quote opened on this line does not close within %1 MiB "
                                      "(it took in %2 lines): nothing from it on is written")
                           .arg(list::kMaxRowBytes / kMiB)
                           .arg(lines)
                     : QStringLiteral("a line longer than %1 MiB: nothing from it on is written")
                           .arg(list::kMaxRowBytes / kMiB);
}

// A text list, streamed from its start, already read as `sample`, to `out`. `whole` says
// whether all of it was read and written.
ExitStatus addCarriersToText(const ListRequest& request, const QString& name,
                             list::ListInput& input, QByteArray sample, bool atEnd, Output& out,
                             bool& whole) {
    whole = false;
    auto say = [&](qint64 line, const QString& text) {
        out.flush();
        printMessage(name + (line > 0 ? u':' + QString::number(line) : QString()) +
                     QStringLiteral(": ") + text);
    };
    const list::Detection detection = list::detect(sample, atEnd, request.encoding, request.column);
    if (detection.problem != list::Problem::None) {
        say(0, problemText(detection.problem, request));
        const bool nothing = detection.problem == list::Problem::Empty ||
                             detection.problem == list::Problem::HeaderOnly;
        return nothing ? kUnanswered : kTrouble;
    }
    list::Format format = detection.format;
    // Where the whole list was read for its encoding, its bytes need not be watched for it.
    const bool readWhole = format.doubt == list::EncodingDoubt::AsciiOnly && !atEnd &&
                           input.size() >= 0 && readAheadForTheEncoding(input, format);
    ExitStatus status = kAnswered;
    if (format.doubt == list::EncodingDoubt::InvalidBytes) {
        say(0, QStringLiteral("neither UTF-8 nor Shift_JIS reads every byte; read as %1 (choose "
                              "another with --encoding)")
                   .arg(list::encodingName(format.encoding)));
        status = kTrouble;
    }

    lookup::ReadOnceIndex records;
    list::ListPipeline pipeline(format, records);
    list::WorkingBytes working(format, !readWhole);
    StandardOutputSink sink(name, format, pipeline.answers(), out);
    sink.start();
    QByteArray piece = sample.sliced(format.dataStart());
    list::RowReader::Status read = list::RowReader::Status::Done;
    for (;;) {
        const QByteArrayView rows = working.of(piece, atEnd);
        const bool stopped = working.stopped() != list::Problem::None;
        read = pipeline.read(rows, atEnd && !stopped, sink);
        if (stopped && read == list::RowReader::Status::Done) {
            if (working.stopped() == list::Problem::NotUtf16) {
                say(0, problemText(list::Problem::NotUtf16, request));
            } else {
                say(pipeline.nextLine(),
                    notInEncodingText(format.encoding, QByteArrayView(piece).sliced(rows.size()),
                                      atEnd));
            }
            return kTrouble;
        }
        if (read != list::RowReader::Status::Done || atEnd)
            break;
        piece.resize(0);
        const qsizetype got = input.read(piece, kReadSize);
        if (got < 0) {
            say(0, systemError(input.outcome().systemError));
            return kTrouble;
        }
        atEnd = got == 0;
    }
    switch (read) {
    case list::RowReader::Status::RowTooLong:
        say(pipeline.rowLine(), rowTooLongText(pipeline.rowLines()));
        return kTrouble;
    case list::RowReader::Status::UnclosedQuote:
        say(pipeline.rowLine(),
            QStringLiteral("a quote opened on this line never closes: the %1 lines from here to "
                           "the end were read as one row, written as they are without a carrier")
                .arg(pipeline.rowLines()));
        status = kTrouble;
        break;
    case list::RowReader::Status::Stopped:
    case list::RowReader::Status::Done:
        break;
    }
    if (atEnd && input.outcome().problem != list::Problem::None) {
        say(0, problemText(input.outcome().problem, request));
        status = kTrouble;
    }
    whole = atEnd && read != list::RowReader::Status::Stopped;
    // Output that did not arrive is reported once the run ends, as for every run.
    return worse(status, sink.status());
}

// A workbook, read whole (as the window caps it) from its start `data`, and its copy with the
// carrier column written to `out`.
ExitStatus addCarriersToWorkbook(const ListRequest& request, const QString& name,
                                 list::ListInput& input, QByteArray data, bool atEnd, Output& out,
                                 bool& whole) {
    whole = false;
    auto say = [&](const QString& text) {
        out.flush();
        printMessage(name + QStringLiteral(": ") + text);
    };
    while (!atEnd && data.size() <= list::kMaxWorkbookPartBytes) {
        const qsizetype got = input.read(data, kReadSize);
        if (got < 0) {
            say(systemError(input.outcome().systemError));
            return kTrouble;
        }
        atEnd = got == 0;
    }
    if (!atEnd) {
        say(QStringLiteral("a workbook larger than %1 MiB: too large to read")
                .arg(list::kMaxWorkbookPartBytes / kMiB));
        return kTrouble;
    }
    if (input.outcome().problem != list::Problem::None) {
        say(problemText(input.outcome().problem, request));
        return kTrouble;
    }
    lookup::ReadOnceIndex records;
    list::Progress progress;
    auto read = list::readWorkbookList(data, request.sheet, request.column, records, progress);
    auto* book = std::get_if<list::WorkbookList>(&read);
    if (!book) {
        const list::ReadOutcome& outcome = std::get<list::ReadOutcome>(read);
        say(outcome.problem == list::Problem::Workbook ? workbookProblemText(outcome.workbook)
            : outcome.problem == list::Problem::NoSuchSheet
                ? (request.sheet.name.isEmpty()
                       ? QStringLiteral("no sheet %1").arg(request.sheet.position + 1)
                       : QStringLiteral("no sheet is named '%1'").arg(request.sheet.name))
            : outcome.problem == list::Problem::NoNumberColumn
                ? QStringLiteral("no sheet has a column of telephone numbers; choose one with "
                                 "--sheet and --column")
                : problemText(outcome.problem, request));
        const bool nothing =
            outcome.problem == list::Problem::Empty || outcome.problem == list::Problem::HeaderOnly;
        return nothing ? kUnanswered : kTrouble;
    }
    const list::ListDocument& document = book->document;
    const QString sheetName =
        name + u':' + book->sheet.workbook->sheets()[std::size_t(book->sheet.sheet)].name;
    ExitStatus status = kAnswered;
    for (qsizetype i = 0; i < qsizetype(document.rows().size()); ++i) {
        const list::ListRow row = document.row(i);
        // Only a row that has something to say needs its number again.
        const bool answered = row.kind != list::RowKind::Number ||
                              (!row.zeroRestored && std::holds_alternative<lookup::Carrier>(
                                                        *document.answers()[row.answer]));
        // Row N of the sheet is its row N - 1.
        status = worse(status, sayWhatRowGot(out, sheetName, i + 1, row,
                                             answered ? QString() : document.enteredNumber(i),
                                             document.answers(), 0));
    }
    QBuffer copy;
    copy.open(QIODevice::WriteOnly);
    if (const list::WorkbookProblem problem = list::writeWorkbookCopy(book->sheet, document, copy);
        problem != list::WorkbookProblem::None) {
        say(workbookProblemText(problem));
        return kTrouble;
    }
    out.append(QByteArrayView(copy.data()));
    whole = true;
    return status;
}

} // namespace

std::optional<ListRequest> listRequest(const QString& file, const ListOptions& options,
                                       QString& why) {
    ListRequest request;
    request.file = file;
    if (file.isEmpty()) {
        why = QStringLiteral("--csv needs a FILE, or - for standard input");
        return std::nullopt;
    }
    // A position from 1, or a name.
    auto choice = [&](const QString& option, const QString& value, int& position, QString& name) {
        bool isNumber = false;
        const int number = value.toInt(&isNumber);
        if (isNumber && number < 1) {
            why = QStringLiteral("%1 counts from 1, not '%2'").arg(option, value);
            return false;
        }
        if (value.trimmed().isEmpty()) {
            why = QStringLiteral("%1 needs a number or a name").arg(option);
            return false;
        }
        if (isNumber)
            position = number - 1;
        else
            name = value;
        return true;
    };
    if (options.column && !choice(QStringLiteral("--column"), *options.column,
                                  request.column.position, request.column.name))
        return std::nullopt;
    if (options.sheet && !choice(QStringLiteral("--sheet"), *options.sheet, request.sheet.position,
                                 request.sheet.name))
        return std::nullopt;
    if (options.encoding) {
        request.encoding = list::encodingOfName(*options.encoding);
        if (!request.encoding) {
            why = QStringLiteral("--encoding takes utf-8, shift_jis (cp932), utf-16le or "
                                 "utf-16be, not '%1'")
                      .arg(*options.encoding);
            return std::nullopt;
        }
    }
    if (options.output) {
        if (options.output->isEmpty()) {
            why = QStringLiteral("-o needs a FILE");
            return std::nullopt;
        }
        request.output = *options.output;
    }
    return request;
}

int addCarriers(const ListRequest& request, Output& out) {
    const QString name = request.file == u'-' ? QStringLiteral("standard input") : request.file;
    list::ListInput input(request.file, false);
    if (input.opened().problem != list::Problem::None) {
        printMessage(name + QStringLiteral(": ") + systemError(input.opened().systemError));
        return kTrouble;
    }
    // The format is decided from the list's start.
    QByteArray sample;
    qsizetype got = 1;
    while (sample.size() < list::kSampleBytes && got > 0)
        got = input.read(sample, list::kSampleBytes - sample.size());
    if (got < 0) {
        printMessage(name + QStringLiteral(": ") + systemError(input.outcome().systemError));
        return kTrouble;
    }
    const bool atEnd = got == 0;
    const bool workbook =
        list::isWorkbook(sample.first(std::min(sample.size(), qsizetype(8))), request.file);
    if (workbook && request.output.isEmpty() && out.interactive()) {
        printMessage(name + QStringLiteral(": a workbook, not for a terminal: give -o FILE, or "
                                           "send standard output to a file"));
        return kTrouble;
    }

    // Where the rows go: standard output, or a file under the name asked for, renamed into place
    // only once whole.
    std::optional<QSaveFile> file;
    std::optional<Output> fileOutput;
    if (!request.output.isEmpty()) {
        file.emplace(request.output);
        if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            printMessage(request.output + QStringLiteral(": ") + file->errorString());
            return kTrouble;
        }
        fileOutput.emplace(file->handle(), request.output);
    }
    Output& target = fileOutput ? *fileOutput : out;
    bool whole = false;
    ExitStatus status =
        workbook ? addCarriersToWorkbook(request, name, input, sample, atEnd, target, whole)
                 : addCarriersToText(request, name, input, sample, atEnd, target, whole);
    if (file) {
        if (!fileOutput->finish()) {
            status = kTrouble;
            whole = false;
        }
        if (!whole || !file->commit()) {
            file->cancelWriting();
            if (whole)
                printMessage(request.output + QStringLiteral(": ") + file->errorString());
            status = kTrouble;
        }
    }
    return status;
}

} // namespace zunova::console
