#include "csvlist.h"

#include "exitstatus.h"
#include "output.h"
#include "rownotes.h"

#include "list/listfile.h"
#include "list/messages.h"
#include "lookup/readonceindex.h"
#include "textlist/rowwriter.h"
#include "textlist/textreader.h"

#include <QSaveFile>

#include <optional>

namespace zunova::console {
namespace {

constexpr qsizetype kReadSize = 64 * 1024;

// "zunova: NAME:LINE: TEXT" on standard error, after what `out` holds: a text list's problem
// with its line; a workbook's with its part and row.
void sayProblem(Output& out, const QString& name, const list::Outcome& outcome) {
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
ExitStatus statusOf(const list::Outcome& outcome) {
    return outcome.problem == list::Problem::Empty || outcome.problem == list::Problem::HeaderOnly
               ? kUnanswered
               : kTrouble;
}

// Says what a row got besides its carrier, after the row itself.
ExitStatus sayRowNotes(Output& out, const QString& where, const list::ListRow& row,
                       QStringView entered, const list::AnswerTable& answers, int width) {
    if (row.kind == list::RowKind::Blank || row.kind == list::RowKind::Unclosed)
        return kAnswered; // nothing to say of a row that has no carrier to get
    return sayNotes(out, where + u':' + QString::number(row.line),
                    list::notesOf(row, answers, width), entered.toString());
}

// A text list being streamed from its start, already read as `piece`, to `out`.
class TextStream {
public:
    TextStream(const QString& name, list::ListInput& input, const textlist::Format& format,
               bool watched, Output& out)
        : m_name(name)
        , m_input(input)
        , m_format(format)
        , m_reader(format, m_records)
        , m_working(format, watched)
        , m_writer(format)
        , m_out(out) {}

    // Streams the rows through; how the reading ended.
    list::Outcome run(QByteArray piece, bool atEnd);
    ExitStatus status() const { return m_status; }

private:
    bool take(const textlist::Row& read, const list::ListRow& row, QStringView entered);
    // Where the bytes stopped reading in the list's encoding.
    list::Outcome stopped(QByteArrayView rest, bool atEnd) const;

    const QString& m_name;
    list::ListInput& m_input;
    const textlist::Format& m_format;
    lookup::ReadOnceIndex m_records;
    textlist::TextListReader m_reader;
    textlist::WorkingBytes m_working;
    textlist::RowWriter m_writer;
    Output& m_out;
    std::string m_bytes;
    ExitStatus m_status = kAnswered;
};

bool TextStream::take(const textlist::Row& read, const list::ListRow& row, QStringView entered) {
    m_writer.append(m_bytes, read.content, read.lineEnd, row, m_reader.answers());
    m_out.append(QByteArrayView(m_bytes.data(), qsizetype(m_bytes.size())));
    m_bytes.clear(); // keeps its room for the next row
    m_out.endLine();
    m_status = worse(m_status, sayRowNotes(m_out, m_name, row, entered, m_reader.answers(),
                                           m_format.layout.width));
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
            return {.problem = list::Problem::Cancelled};
        if (read != textlist::RowReader::Status::Done || atEnd)
            return m_input.outcome();
        piece.resize(0);
        const qsizetype got = m_input.read(piece, kReadSize);
        if (got < 0)
            return m_input.outcome();
        atEnd = got == 0;
    }
}

// A text list, streamed from its start, already read as `sample`, to `out`. `whole` says
// whether all of it was read and written.
ExitStatus addCarriersToText(const ListRequest& request, const QString& name,
                             list::ListInput& input, const QByteArray& sample, bool atEnd,
                             Output& out, bool& whole) {
    whole = false;
    const textlist::Detection detection =
        textlist::detect(sample, atEnd, request.encoding, request.column);
    if (!detection.outcome.ok()) {
        sayProblem(out, name, detection.outcome);
        return statusOf(detection.outcome);
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
    TextStream stream(name, input, format, !readWhole, out);
    const list::Outcome outcome = stream.run(sample.sliced(format.dataStart()), atEnd);
    // A reader that went away (| head) stopped it: output that did not arrive is reported once
    // the run ends, as for every run.
    if (outcome.problem != list::Problem::Cancelled && !outcome.ok()) {
        sayProblem(out, name, outcome);
        status = kTrouble;
    }
    whole = outcome.ok();
    return worse(status, stream.status());
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
ExitStatus sayWhatRowsGot(Output& out, const QString& where, const list::ListDocument& document) {
    ExitStatus status = kAnswered;
    for (qsizetype i = 0; i < qsizetype(document.rows().size()); ++i) {
        const list::ListRow row = document.row(i);
        // Only a row that has something to say needs its number again.
        const bool answered = row.kind != list::RowKind::Number ||
                              (!row.zeroRestored && std::holds_alternative<lookup::Carrier>(
                                                        *document.answers()[row.answer]));
        status = worse(status, sayRowNotes(out, where, row,
                                           answered ? QString() : document.enteredNumber(i),
                                           document.answers(), 0));
    }
    return status;
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
        return statusOf(outcome);
    }
    const list::ListDocument& document = book->document;
    const ExitStatus status = sayWhatRowsGot(
        out, name + u':' + book->sheet.workbook->sheets()[std::size_t(book->sheet.sheet)].name,
        document);
    // The copy reaches the output only once it is made whole.
    OutputDevice device(out);
    if (const list::Outcome written = document.write(device, progress); !written.ok()) {
        sayProblem(out, name, written);
        return kTrouble;
    }
    whole = !out.failed();
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
        request.encoding = textlist::encodingOfName(*options.encoding);
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
