#include "csvlist.h"

#include "exitstatus.h"
#include "output.h"
#include "outputfile.h"
#include "rownotes.h"

#include "list/listfile.h"
#include "list/messages.h"
#include "lookup/readonceindex.h"
#include "textlist/rowwriter.h"
#include "textlist/textreader.h"

#include <QDir>

#include <optional>

namespace zunova::console {
namespace {

constexpr qsizetype kReadSize = 64 * 1024;

// "zunova: NAME:LINE: TEXT" on standard error, after what `out` holds: a text list's problem
// with its line; a workbook's with its part and row.
void sayProblem(Output& out, const QString& name, list::Outcome outcome) {
    // What comes from the file reaches the terminal escaped.
    outcome.part = escaped(outcome.part);
    outcome.asked = escaped(outcome.asked);
    QString where = name;
    if (!outcome.part.isEmpty())
        where += QStringLiteral(": ") + list::whereText(outcome);
    else if (outcome.line > 0)
        where += u':' + QString::number(outcome.line);
    out.flush();
    printMessage(where + QStringLiteral(": ") +
                 list::problemText(outcome, list::Front::CommandLine));
}

// A list with nothing to look up leaves the run unanswered; anything else that stops it is
// trouble.
ExitStatus problemStatus(const list::Outcome& outcome) {
    return outcome.problem == list::Problem::Empty || outcome.problem == list::Problem::HeaderOnly
               ? kUnanswered
               : kTrouble;
}

// A data file that could not be opened at all: every number of its kind would get its error.
bool isMissingDataFile(const lookup::Answer& answer) {
    const auto* error = std::get_if<runtime::RuntimeError>(&answer);
    return error && !error->file().isEmpty() && error->line() == 0;
}

// Says once which file or sheet, header and column a list was read with, and what its rows got.
void sayRun(Output& out, const QString& where, const list::Layout& layout, qint64 headerLine,
            const QString& sheet, const list::RowCounts& counts, const list::AnswerTable& answers) {
    const QString column = escaped(layout.columnNames.value(layout.numberColumn));
    // Said after the rows reached the output, and only if they did: a failed write says itself.
    out.flush();
    if (out.failed())
        return;
    printMessage(where + QStringLiteral(": ") +
                 list::layoutText(sheet.isNull() ? sheet : escaped(sheet), headerLine,
                                  layout.numberColumn, column) +
                 QStringLiteral(": ") +
                 list::countItems(counts, answers, layout.zerosDropped).join(QStringLiteral("; ")));
}

// Says why a data file could not be opened, once, and where it was looked for: the run stops.
void sayMissingDataFile(Output& out, const runtime::RuntimeError& error) {
    out.flush();
    printMessage(list::missingDataFileText(error, QDir::currentPath()));
}

// A text list being streamed from its start, already read as `piece`, to `out`.
class TextStream {
public:
    TextStream(const ListRequest& request, const QString& name, list::ListInput& input,
               const textlist::Format& format, bool watched, Output& out)
        : m_request(request)
        , m_name(name)
        , m_input(input)
        , m_format(format)
        , m_reader(format, m_records)
        , m_working(format, watched)
        , m_writer(format)
        , m_out(out) {}

    // Streams the rows through; how the reading ended.
    list::Outcome run(QByteArray piece, bool atEnd);
    // Says what the run read and what its rows got.
    void report() const {
        sayRun(m_out, m_name, m_format.layout, m_headerLine, QString(), m_counts,
               m_reader.answers());
    }
    ExitStatus status() const { return m_status; }
    const list::RowCounts& counts() const { return m_counts; }

private:
    bool take(const textlist::Row& read, const list::ListRow& row, QStringView entered);
    // Where the bytes stopped reading in the list's encoding.
    list::Outcome stopped(QByteArrayView rest, bool atEnd) const;

    const ListRequest& m_request;
    const QString& m_name;
    list::ListInput& m_input;
    const textlist::Format& m_format;
    lookup::ReadOnceIndex m_records;
    textlist::TextListReader m_reader;
    textlist::WorkingBytes m_working;
    textlist::RowWriter m_writer;
    Output& m_out;
    std::string m_bytes;
    list::RowCounts m_counts;
    qint64 m_headerLine = 0;
    ExitStatus m_status = kAnswered;
};

bool TextStream::take(const textlist::Row& read, const list::ListRow& row, QStringView entered) {
    const list::AnswerTable& answers = m_reader.answers();
    if (row.kind == list::RowKind::Number && isMissingDataFile(*answers[row.answer])) {
        sayMissingDataFile(m_out, std::get<runtime::RuntimeError>(*answers[row.answer]));
        m_status = kTrouble;
        return false;
    }
    const QList<list::Note> notes =
        list::notesOf(row, answers, m_format.layout, entered.toString());
    m_writer.append(m_bytes, read.content, read.lineEnd, row, answers,
                    isListed(row.kind) ? list::listNote(notes) : QString());
    m_out.append(QByteArrayView(m_bytes.data(), qsizetype(m_bytes.size())));
    m_bytes.clear(); // keeps its room for the next row
    m_out.endLine();
    m_counts.add(row);
    if (row.kind == list::RowKind::Header)
        m_headerLine = row.line;
    // A data file that cannot be read whole is trouble.
    for (const list::Note& note : notes)
        m_status = worse(m_status, statusOf(note) == kTrouble ? kTrouble : kAnswered);
    if (m_request.verbose && isListed(row.kind))
        sayNotes(m_out, m_name + u':' + QString::number(row.line), notes, entered.toString());
    return !m_out.failed();
}

list::Outcome TextStream::stopped(QByteArrayView rest, bool atEnd) const {
    if (m_working.stopped() == list::Problem::NotUtf16)
        return {.problem = list::Problem::NotUtf16};
    const textlist::Encoding met = textlist::encodingOfText(rest, atEnd).first;
    return {.problem = list::Problem::NotInEncoding,
            .line = m_reader.nextLine(),
            .encoding = textlist::encodingName(m_format.encoding),
            .readsAs = met != m_format.encoding ? textlist::encodingName(met) : QString()};
}

list::Outcome TextStream::run(QByteArray piece, bool atEnd) {
    m_out.append(m_writer.start());
    const auto each = [this](const textlist::Row& read, const list::ListRow& row,
                             QStringView entered) {
        return take(read, row, entered);
    };
    for (;;) {
        const QByteArrayView rows = m_working.of(piece, atEnd);
        const bool stopped = m_working.stopped() != list::Problem::None;
        const textlist::RowReader::Status read = m_reader.read(rows, atEnd && !stopped, each);
        if (stopped && read == textlist::RowReader::Status::Done)
            return this->stopped(QByteArrayView(piece).sliced(rows.size()), atEnd);
        if (read == textlist::RowReader::Status::RowTooLong)
            return {.problem = list::Problem::RowTooLong,
                    .line = m_reader.rowLine(),
                    .lines = m_reader.rowLines()};
        if (read == textlist::RowReader::Status::UnclosedQuote) {
            m_out.flush();
            printMessage(m_name + u':' + QString::number(m_reader.rowLine()) +
                         QStringLiteral(": ") +
                         list::unclosedQuoteText(m_reader.rowLines(), list::Front::CommandLine));
            m_status = kTrouble;
        }
        if (read == textlist::RowReader::Status::Stopped)
            return {.problem = m_status == kTrouble ? list::Problem::MissingDataFile
                                                    : list::Problem::Cancelled};
        if (read != textlist::RowReader::Status::Done || atEnd)
            return m_input.outcome();
        piece.resize(0);
        const qsizetype got = m_input.read(piece, kReadSize);
        if (got < 0)
            return m_input.outcome();
        atEnd = got == 0;
    }
}

// The list's start, read far enough to find its format: its first megabyte, and more where that
// holds only blank lines or a row that goes on past it.
textlist::Detection detectFormat(const ListRequest& request, list::ListInput& input,
                                 QByteArray& sample, bool& atEnd) {
    // A list with blank lines or a long row first needs more; no further than a row may run.
    constexpr qsizetype kMostSample = list::kMaxRowBytes + textlist::kSampleBytes;
    for (;;) {
        textlist::Detection detection =
            textlist::detect(sample, atEnd, request.encoding, request.column);
        if (!detection.needsMore || atEnd)
            return detection;
        if (sample.size() >= kMostSample) {
            if (detection.openRowLine > 0)
                detection.outcome = {.problem = list::Problem::RowTooLong,
                                     .line = detection.openRowLine};
            return detection;
        }
        const qsizetype got =
            input.read(sample, std::min(sample.size(), kMostSample - sample.size()));
        if (got < 0) {
            detection.outcome = input.outcome();
            return detection;
        }
        atEnd = got == 0;
    }
}

// A text list, streamed from its start, already read as `sample`, to `out`. `whole` says
// whether all of it was read and written.
ExitStatus addCarriersToText(const ListRequest& request, const QString& name,
                             list::ListInput& input, QByteArray sample, bool atEnd, Output& out,
                             bool& whole) {
    whole = false;
    const textlist::Detection detection = detectFormat(request, input, sample, atEnd);
    if (!detection.outcome.ok()) {
        sayProblem(out, name, detection.outcome);
        return problemStatus(detection.outcome);
    }
    textlist::Format format = detection.format;
    // Where the whole list was read for its encoding, its bytes need not be watched for it.
    const bool readWhole = format.doubt == textlist::EncodingDoubt::AsciiOnly && !atEnd &&
                           input.size() >= 0 && textlist::readAheadForTheEncoding(input, format);
    ExitStatus status = kAnswered;
    if (format.doubt == textlist::EncodingDoubt::InvalidBytes) {
        printMessage(name + QStringLiteral(": ") +
                     list::doubtfulEncodingText(textlist::encodingName(format.encoding),
                                                list::Front::CommandLine));
        status = kTrouble;
    }
    TextStream stream(request, name, input, format, !readWhole, out);
    const list::Outcome outcome = stream.run(sample.sliced(format.dataStart()), atEnd);
    // A reader that went away (| head) stopped it: output that did not arrive is reported once
    // the run ends, as for every run.
    if (outcome.problem != list::Problem::Cancelled &&
        outcome.problem != list::Problem::MissingDataFile && !outcome.ok()) {
        sayProblem(out, name, outcome);
        status = kTrouble;
    }
    whole = outcome.ok();
    if (whole)
        stream.report();
    status = worse(status, stream.status());
    // As grep: no row answered is 1, once nothing went wrong.
    return status == kAnswered && stream.counts().carriers() == 0 ? kUnanswered : status;
}

// A workbook's bytes, read whole (as the window caps them) from their start `data`.
list::Outcome readWorkbook(list::ListInput& input, QByteArray& data, bool atEnd) {
    // A file's room at once, and a byte more for the read that finds its end.
    if (input.size() >= 0 && input.size() <= list::kMaxPartBytes)
        data.reserve(qsizetype(input.size()) + 1);
    while (!atEnd && data.size() <= list::kMaxPartBytes) {
        const qsizetype got = input.read(data, kReadSize);
        if (got < 0)
            return input.outcome();
        atEnd = got == 0;
    }
    if (!atEnd)
        return {.problem = list::Problem::TooLarge};
    return input.outcome();
}

// Says what each row of a workbook's sheet got besides its carrier, the sheet named with the
// file.
void sayWhatRowsGot(Output& out, const QString& where, const list::ListDocument& document) {
    for (qsizetype i = 0; i < qsizetype(document.rows().size()); ++i) {
        const list::ListRow row = document.row(i);
        if (!isListed(row.kind))
            continue;
        // Only a row that has something to say needs its number again.
        const bool answered =
            row.kind != list::RowKind::Number ||
            (!row.zeroRestored && !row.several &&
             std::holds_alternative<lookup::Carrier>(*document.answers()[row.answer]));
        const QString number = answered ? QString() : document.enteredNumber(i);
        sayNotes(out, where + u':' + QString::number(row.line),
                 list::notesOf(row, document.answers(), document.layout(), number), number);
    }
}

// The first missing data file a workbook's rows met, if any: the run stops there.
const runtime::RuntimeError* missingDataFile(const list::ListDocument& document) {
    for (int network = 0; network < lookup::kNetworkCount; ++network) {
        const auto& answer = document.answers()[lookup::dataFileErrorAnswer(network)];
        if (answer && isMissingDataFile(*answer))
            return &std::get<runtime::RuntimeError>(*answer);
    }
    return nullptr;
}

// A workbook, read whole from its start `data`, and its copy with the carrier column written
// to `out`.
ExitStatus addCarriersToWorkbook(const ListRequest& request, const QString& name,
                                 list::ListInput& input, QByteArray data, bool atEnd, Output& out,
                                 bool& whole) {
    whole = false;
    if (const list::Outcome read = readWorkbook(input, data, atEnd); !read.ok()) {
        sayProblem(out, name, read);
        return kTrouble;
    }
    lookup::ReadOnceIndex records;
    list::Progress progress;
    auto read = workbook::readWorkbookList(data, request.sheet, request.column, records, progress);
    const auto* book = std::get_if<workbook::SheetList>(&read);
    if (!book) {
        const list::Outcome& outcome = std::get<list::Outcome>(read);
        sayProblem(out, name, outcome);
        return problemStatus(outcome);
    }
    const list::ListDocument& document = book->document;
    if (const runtime::RuntimeError* missing = missingDataFile(document)) {
        sayMissingDataFile(out, *missing);
        return kTrouble;
    }
    const QString sheet = book->sheet.workbook->sheets()[std::size_t(book->sheet.sheet)].name;
    if (request.verbose)
        sayWhatRowsGot(out, name + u':' + escaped(sheet), document);
    // The copy reaches the output only once it is made whole.
    OutputDevice device(out);
    if (const list::Outcome written = document.write(device, progress); !written.ok()) {
        sayProblem(out, name, written);
        return kTrouble;
    }
    whole = !out.failed();
    const qsizetype header = document.headerIndex();
    sayRun(out, name, document.layout(),
           header >= 0 ? document.rows()[std::size_t(header)].line : 0, sheet, document.counts(),
           document.answers());
    // As grep: no row answered is 1; a data file that cannot be read whole is trouble.
    const list::RowCounts& counts = document.counts();
    for (int network = 0; network < lookup::kNetworkCount; ++network)
        if (counts.answers[lookup::dataFileErrorAnswer(network)] > 0)
            return kTrouble;
    return counts.carriers() > 0 ? kAnswered : kUnanswered;
}

} // namespace

std::optional<ListRequest> listRequest(const QString& file, const ListOptions& options,
                                       QString& why) {
    ListRequest request;
    request.file = file;
    if (file.isEmpty()) {
        why = Texts::tr("--csv needs a FILE, or - for standard input");
        return std::nullopt;
    }
    // A position from 1, or a name.
    auto choice = [&](const QString& option, const QString& value, int& position, QString& name) {
        bool isNumber = false;
        const int number = value.toInt(&isNumber);
        if (isNumber && number < 1) {
            why = Texts::tr("%1 counts from 1, not '%2'").arg(option, value);
            return false;
        }
        if (value.trimmed().isEmpty()) {
            why = Texts::tr("%1 needs a number or a name").arg(option);
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
        request.encoding = textlist::encodingOfName(*options.encoding);
        if (!request.encoding) {
            why = Texts::tr("--encoding takes utf-8, shift_jis (cp932), utf-16le or utf-16be, "
                            "not '%1'")
                      .arg(*options.encoding);
            return std::nullopt;
        }
    }
    if (options.output) {
        if (options.output->isEmpty()) {
            why = Texts::tr("-o needs a FILE");
            return std::nullopt;
        }
        request.output = *options.output;
    }
    request.verbose = options.verbose;
    return request;
}

int addCarriers(const ListRequest& request, Output& out) {
    // Whatever the file's name holds, it reaches the terminal escaped.
    const QString name = request.file == u'-' ? Texts::tr("standard input") : escaped(request.file);
    list::ListInput input(request.file, false);
    if (!input.opened().ok()) {
        sayProblem(out, name, input.opened());
        return kTrouble;
    }
    // The format is decided from the list's start.
    QByteArray sample;
    qsizetype got = 1;
    while (sample.size() < textlist::kSampleBytes && got > 0)
        got = input.read(sample, textlist::kSampleBytes - sample.size());
    if (got < 0) {
        sayProblem(out, name, input.outcome());
        return kTrouble;
    }
    const bool atEnd = got == 0;
    const bool workbook =
        workbook::isWorkbook(sample.first(std::min(sample.size(), qsizetype(8))), request.file);
    if (workbook && request.output.isEmpty() && out.interactive()) {
        printMessage(name + QStringLiteral(": ") +
                     Texts::tr("a workbook, not for a terminal: give -o FILE, or send standard "
                               "output to a file"));
        return kTrouble;
    }

    // Where the rows go: standard output, or the file asked for, whole or not at all.
    std::optional<OutputFile> file;
    std::optional<Output> fileOutput;
    if (!request.output.isEmpty()) {
        file.emplace(request.output);
        if (!file->open({name, input.descriptor(), workbook}))
            return kTrouble;
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
        // A list with nothing to look up writes nothing, as on standard output.
        if (!whole)
            status = status == kUnanswered ? kUnanswered : kTrouble;
        else if (!file->commit())
            status = kTrouble;
    }
    return status;
}

} // namespace zunova::console
