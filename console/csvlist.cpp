#include "csvlist.h"

#include "output.h"

#include "list/listfile.h"
#include "list/listpipeline.h"
#include "lookup/readonceindex.h"

#include <cerrno>
#include <cstring>

namespace zunova::console {
namespace {

constexpr qsizetype kReadSize = 64 * 1024;

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString problemText(const list::ReadOutcome& outcome, const ListRequest& request) {
    switch (outcome.problem) {
    case list::Problem::Empty:
        return QStringLiteral("no rows: nothing to look up");
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
    case list::Problem::RowTooLong:
        return QStringLiteral("a row longer than %1 MiB (a quote that never closes?): nothing "
                              "from it on is written")
            .arg(list::kMaxRowBytes / (1024 * 1024));
    case list::Problem::Changed:
        return QStringLiteral("changed while it was read: the rows written may mix old and new "
                              "contents");
    case list::Problem::Unreadable:
    case list::Problem::Folder:
    case list::Problem::NotAFile:
        return systemError(outcome.systemError);
    case list::Problem::TooLarge:
    case list::Problem::TooManyRows:
    case list::Problem::Cancelled:
    case list::Problem::None:
        break;
    }
    return {};
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
        m_out.append(m_bytes);
        m_bytes.resize(0); // keeps its room for the next row
        m_out.endLine();
        QString trouble;
        if (row.kind == list::RowKind::Number) {
            const lookup::Answer& answer = *m_answers[row.answer];
            if (const auto* warning = std::get_if<lookup::Warning>(&answer))
                trouble = displayed(entered.toString()) + QStringLiteral(": ") +
                          lookup::fixedText(warning->text);
            else if (const auto* error = std::get_if<runtime::RuntimeError>(&answer))
                trouble = displayed(entered.toString()) + QStringLiteral(": ") + describe(*error);
        }
        if (row.kind != list::RowKind::Blank && row.fields != m_format.width)
            trouble += (trouble.isEmpty() ? QString() : QStringLiteral("; ")) +
                       QStringLiteral("%1 fields where most rows have %2")
                           .arg(row.fields)
                           .arg(m_format.width);
        if (!trouble.isEmpty()) {
            m_allAnswered = false;
            // The rows stay in order with the messages, also where both go to one log.
            m_out.flush();
            printMessage(m_name + u':' + QString::number(row.line) + QStringLiteral(": ") +
                         trouble);
        }
        return !m_out.failed();
    }

    bool allAnswered() const { return m_allAnswered; }

private:
    const QString& m_name;
    const list::Format& m_format;
    const list::AnswerTable& m_answers;
    list::RowWriter m_writer;
    Output& m_out;
    QByteArray m_bytes;
    bool m_allAnswered = true;
};

} // namespace

std::optional<ListRequest> listRequest(const QString& file, const std::optional<QString>& column,
                                       const std::optional<QString>& encoding, QString& why) {
    ListRequest request;
    request.file = file;
    if (file.isEmpty()) {
        why = QStringLiteral("--csv needs a FILE, or - for standard input");
        return std::nullopt;
    }
    if (column) {
        bool isNumber = false;
        const int position = column->toInt(&isNumber);
        if (isNumber && position < 1) {
            why = QStringLiteral("--column counts from 1, not '%1'").arg(*column);
            return std::nullopt;
        }
        if (column->trimmed().isEmpty()) {
            why = QStringLiteral("--column needs a number or a header's name");
            return std::nullopt;
        }
        if (isNumber)
            request.column.position = position - 1;
        else
            request.column.name = *column;
    }
    if (encoding) {
        request.encoding = list::encodingOfName(*encoding);
        if (!request.encoding) {
            why = QStringLiteral("--encoding takes utf-8, shift_jis (cp932), utf-16le or "
                                 "utf-16be, not '%1'")
                      .arg(*encoding);
            return std::nullopt;
        }
    }
    return request;
}

int addCarriers(const ListRequest& request, Output& out) {
    const QString name = request.file == u'-' ? QStringLiteral("standard input") : request.file;
    auto fail = [&](const list::ReadOutcome& outcome) {
        out.flush();
        printMessage(name + (outcome.line > 0 ? u':' + QString::number(outcome.line) : QString()) +
                     QStringLiteral(": ") + problemText(outcome, request));
        return outcome.problem == list::Problem::NoSuchColumn ? 2 : 1;
    };
    list::ListInput input(request.file, false);
    if (input.opened().problem != list::Problem::None)
        return fail(input.opened());

    // The format is decided from the list's start.
    QByteArray sample;
    qsizetype got = 1;
    while (sample.size() < list::kSampleBytes && got > 0)
        got = input.read(sample, list::kSampleBytes - sample.size());
    if (got < 0)
        return fail(input.outcome());
    bool atEnd = got == 0;
    const list::Detection detection = list::detect(sample, atEnd, request.encoding, request.column);
    if (detection.problem != list::Problem::None)
        return fail({detection.problem, 0, 0});
    const list::Format& format = detection.format;
    bool allAnswered = true;
    if (format.doubt == list::EncodingDoubt::InvalidBytes) {
        out.flush();
        printMessage(name + QStringLiteral(": neither UTF-8 nor Shift_JIS reads every byte; read "
                                           "as %1 (choose another with --encoding)")
                                .arg(list::encodingName(format.encoding)));
        allAnswered = false;
    }

    lookup::ReadOnceIndex records;
    list::ListPipeline pipeline(format, records);
    list::WorkingBytes working(format.encoding);
    StandardOutputSink sink(name, format, pipeline.answers(), out);
    sink.start();
    QByteArray piece = sample.sliced(format.dataStart());
    for (;;) {
        const std::optional<QByteArrayView> rows = working.of(piece, atEnd);
        if (!rows)
            return fail({list::Problem::NotUtf16, 0, 0});
        const list::RowReader::Status status = pipeline.read(*rows, atEnd, sink);
        if (status == list::RowReader::Status::RowTooLong)
            return fail({list::Problem::RowTooLong, pipeline.rowLine(), 0});
        if (status == list::RowReader::Status::Stopped || atEnd)
            break;
        piece.resize(0);
        got = input.read(piece, kReadSize);
        if (got < 0)
            return fail(input.outcome());
        atEnd = got == 0;
    }
    if (atEnd && input.outcome().problem != list::Problem::None) {
        fail(input.outcome());
        allAnswered = false;
    }
    // Output that did not arrive is reported once the run ends, as for every run.
    return allAnswered && sink.allAnswered() && !out.failed() ? 0 : 1;
}

} // namespace zunova::console
