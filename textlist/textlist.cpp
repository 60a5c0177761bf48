#include "textlist.h"

#include "rowwriter.h"
#include "textreader.h"

#include <algorithm>
#include <limits>

namespace zunova::textlist {
namespace {

constexpr qsizetype kProgressRows = 4096;
constexpr qsizetype kWriteChunk = 256 * 1024;

// A short write to a file means the disk is full (or the file too large): the rest is tried
// once more, so the error shows.
bool writeAll(QIODevice& out, QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        const qint64 written = out.write(bytes.data(), bytes.size());
        if (written <= 0)
            return false;
        bytes = bytes.sliced(written);
    }
    return true;
}

// A text list's bytes, which its rows are read from again when shown and written back from.
class KeptText final : public list::KeptRows {
public:
    KeptText(const QByteArray& data, const QByteArray& working, qsizetype workingStart,
             const Format& format)
        : m_data(data)
        , m_working(working)
        , m_workingStart(workingStart)
        , m_format(format) {}

    std::unique_ptr<list::CellDecoder> decoder() const override {
        return std::make_unique<Codec>(m_format.encoding);
    }

    QStringList cells(const list::ListDocument& document, qsizetype index,
                      list::CellDecoder& decoder) const override {
        QStringList out;
        for (const QByteArray& field : splitFields(content(document, index), m_format.delimiter))
            out << decoder.decode(field);
        return out;
    }

    list::Outcome write(const list::ListDocument& document, QIODevice& out,
                        list::Progress& progress) const override;

    // The row at `index`: its bytes and line end.
    QByteArrayView whole(const list::ListDocument& document, qsizetype index) const {
        const auto& rows = document.rows();
        const qsizetype start = m_workingStart + rows[std::size_t(index)].place;
        const qsizetype end = index + 1 < qsizetype(rows.size())
                                  ? m_workingStart + rows[std::size_t(index + 1)].place
                                  : m_working.size();
        return QByteArrayView(m_working).sliced(start, end - start);
    }
    QByteArrayView content(const list::ListDocument& document, qsizetype index) const {
        return whole(document, index).chopped(document.rows()[std::size_t(index)].lineEndSize);
    }

private:
    QByteArray m_data;    // as given
    QByteArray m_working; // what the rows are read from: the data itself, or UTF-16 as UTF-8
    qsizetype m_workingStart;
    Format m_format;
};

list::Outcome KeptText::write(const list::ListDocument& document, QIODevice& out,
                              list::Progress& progress) const {
    RowWriter writer(m_format);
    const qsizetype rows = qsizetype(document.rows().size());
    progress.total = rows;
    const list::Outcome failed{.problem = list::Problem::CannotWrite};
    if (!writeAll(out, writer.start()))
        return failed;
    std::string chunk;
    for (qsizetype i = 0; i < rows; ++i) {
        const QByteArrayView row = whole(document, i);
        const int lineEnd = document.rows()[std::size_t(i)].lineEndSize;
        writer.append(chunk, row.chopped(lineEnd), row.last(lineEnd), document.row(i),
                      document.answers(), document.noteOf(i));
        if (qsizetype(chunk.size()) >= kWriteChunk) {
            if (!writeAll(out, QByteArrayView(chunk.data(), qsizetype(chunk.size()))))
                return failed;
            chunk.clear();
        }
        if ((i + 1) % kProgressRows == 0) {
            progress.done = i + 1;
            if (progress.cancelled)
                return {.problem = list::Problem::Cancelled};
        }
    }
    progress.done = rows;
    return writeAll(out, QByteArrayView(chunk.data(), qsizetype(chunk.size()))) ? list::Outcome{}
                                                                                : failed;
}

} // namespace

std::variant<TextList, list::Outcome> readTextList(const QByteArray& data, const Options& options,
                                                   lookup::RecordSource& records,
                                                   list::Progress& progress) {
    const Detection detection =
        detectWhole(data, options.encoding, options.column, options.delimiter);
    if (!detection.outcome.ok())
        return detection.outcome;
    Format format = detection.format;
    takeEncodingFromWholeText(format, data);
    const QByteArrayView body = QByteArrayView(data).sliced(format.dataStart());
    QByteArray working = data; // shared, not copied
    qsizetype workingStart = format.dataStart();
    if (format.isUtf16()) {
        WorkingBytes converter(format);
        working = converter.of(body, true).toByteArray();
        workingStart = 0;
        if (converter.stopped() != list::Problem::None)
            return list::Outcome{.problem = converter.stopped()};
    }
    const QByteArrayView rows = QByteArrayView(working).sliced(workingStart);
    if (rows.size() > std::numeric_limits<quint32>::max())
        return list::Outcome{.problem = list::Problem::TooLarge};
    progress.total = rows.size();

    list::ListDocument document(format.layout,
                                std::make_shared<KeptText>(data, working, workingStart, format));
    // A row a line, made once (tools/bench-list.sh: the list opened to its table; growing the
    // rows as they came copied them again and again).
    document.reserve(std::size_t(std::count(rows.begin(), rows.end(), '\n') + 1));
    TextListReader reader(format, records);
    bool tooMany = false;
    const RowReader::Status status =
        reader.read(rows, true, [&](const Row& read, const list::ListRow& row, QStringView) {
            if (!document.add(row, quint32(read.offset), int(read.lineEnd.size()))) {
                tooMany = true;
                return false;
            }
            if (document.rows().size() % kProgressRows != 0)
                return true;
            progress.done = read.offset;
            return !progress.cancelled;
        });
    if (status == RowReader::Status::RowTooLong)
        return list::Outcome{.problem = list::Problem::RowTooLong,
                             .line = reader.rowLine(),
                             .lines = reader.rowLines()};
    if (tooMany)
        return list::Outcome{.problem = list::Problem::TooManyRows};
    if (status == RowReader::Status::Stopped)
        return list::Outcome{.problem = list::Problem::Cancelled};
    std::optional<list::ListDocument::UnclosedQuote> unclosed;
    if (status == RowReader::Status::UnclosedQuote)
        unclosed = list::ListDocument::UnclosedQuote{reader.rowLine(), reader.rowLines()};
    document.finish(reader.answers(), unclosed);
    progress.done = rows.size();
    return TextList{format, std::move(document)};
}

} // namespace zunova::textlist
