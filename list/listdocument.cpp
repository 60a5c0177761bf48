#include "listdocument.h"

#include "hugepages.h"
#include "listpipeline.h"

#include "lookup/writtennumber.h"

#include <algorithm>
#include <limits>

namespace zunova::list {
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

} // namespace

// Keeps each row the pipeline hands on, its counts and the widest.
class ListDocument::Sink : public RowSink {
public:
    Sink(ListDocument& document, Progress& progress)
        : m_document(document)
        , m_progress(progress) {}

    bool take(const ListRow& row, QStringView) override {
        ListDocument& d = m_document;
        if (qsizetype(d.m_rows.size()) >= kMaxRows) {
            m_tooMany = true;
            return false;
        }
        if (row.kind == RowKind::Header)
            d.m_headerIndex = qsizetype(d.m_rows.size());
        if (row.kind == RowKind::Number)
            ++d.m_counts[row.answer];
        if (row.kind == RowKind::NoNumber)
            ++d.m_rowsWithoutNumber;
        d.m_widest = std::max(d.m_widest, row.fields);
        const qsizetype offset = m_offset;
        m_offset += row.content.size() + row.lineEnd.size();
        d.m_rows.push_back({quint32(offset), quint32(row.line), qint32(row.fields),
                            quint8(row.lineEnd.size()), row.kind, row.answer, row.zeroRestored});
        if (d.m_rows.size() % kProgressRows != 0)
            return true;
        m_progress.done = offset;
        return !m_progress.cancelled;
    }

    bool tooMany() const { return m_tooMany; }

private:
    ListDocument& m_document;
    Progress& m_progress;
    qsizetype m_offset = 0;
    bool m_tooMany = false;
};

std::variant<ListDocument, ReadOutcome> ListDocument::read(const QByteArray& data,
                                                           const Options& options,
                                                           lookup::RecordSource& records,
                                                           Progress& progress) {
    Detection detection =
        detect(QByteArrayView(data).first(std::min(data.size(), kSampleBytes)),
               data.size() <= kSampleBytes, options.encoding, options.column, options.delimiter);
    if (detection.problem != Problem::None)
        return ReadOutcome{detection.problem, 0, 0};
    ListDocument document;
    document.m_data = data;
    document.m_sheet = options.sheet;
    document.m_format = detection.format;
    Format& format = document.m_format;
    takeEncodingFromWholeText(format, data);
    const QByteArrayView body = QByteArrayView(data).sliced(format.dataStart());
    if (format.isUtf16()) {
        WorkingBytes converter(format);
        const QByteArrayView working = converter.of(body, true);
        if (converter.stopped() != Problem::None)
            return ReadOutcome{converter.stopped(), 0, 0};
        document.m_working = working.toByteArray();
    } else {
        document.m_working = data; // shared, not copied
        document.m_workingStart = format.dataStart();
    }
    const QByteArrayView working =
        QByteArrayView(document.m_working).sliced(document.m_workingStart);
    if (working.size() > std::numeric_limits<quint32>::max())
        return ReadOutcome{Problem::TooLarge, 0, 0};
    progress.total = working.size();
    // Room for a row a line, made once: growing the rows as they come copied them all again and
    // again (bench-list.sh: the list opened to its table 1.2 times as long without it).
    document.m_rows.reserve(std::size_t(std::count(working.begin(), working.end(), '\n') + 1));
    adviseHugePages(document.m_rows.data(), document.m_rows.capacity() * sizeof(Row));

    ListPipeline pipeline(format, records);
    Sink sink(document, progress);
    const RowReader::Status status = pipeline.read(working, true, sink);
    if (status == RowReader::Status::RowTooLong)
        return ReadOutcome{Problem::RowTooLong, pipeline.rowLine(), 0};
    if (sink.tooMany())
        return ReadOutcome{Problem::TooManyRows, 0, 0};
    if (status == RowReader::Status::Stopped)
        return ReadOutcome{Problem::Cancelled, 0, 0};
    if (status == RowReader::Status::UnclosedQuote)
        document.m_unclosedQuote = UnclosedQuote{pipeline.rowLine(), pipeline.rowLines()};
    document.m_answers = pipeline.answers();
    progress.done = working.size();
    return document;
}

ListRow ListDocument::row(qsizetype index) const {
    const Row& row = m_rows[std::size_t(index)];
    const qsizetype start = m_workingStart + row.offset;
    const qsizetype end = index + 1 < qsizetype(m_rows.size())
                              ? m_workingStart + m_rows[std::size_t(index + 1)].offset
                              : m_working.size();
    const QByteArrayView whole = QByteArrayView(m_working).sliced(start, end - start);
    return {whole.chopped(row.lineEndSize),
            whole.last(row.lineEndSize),
            row.line,
            row.fields,
            row.kind,
            row.answer,
            row.zeroRestored};
}

QStringList ListDocument::fields(qsizetype index, Codec& codec) const {
    QStringList out;
    for (const QByteArray& field : splitFields(row(index).content, m_format.delimiter))
        out << codec.decode(field);
    return out;
}

QString ListDocument::carrierOf(qsizetype index) const {
    const Row& row = m_rows[std::size_t(index)];
    if (row.kind == RowKind::Header)
        return QString::fromUtf16(kCarrierColumnName);
    if (row.kind != RowKind::Number)
        return {};
    const auto* carrier = std::get_if<lookup::Carrier>(&*m_answers[row.answer]);
    return carrier ? carrier->name() : QString();
}

QString ListDocument::enteredNumber(qsizetype index) const {
    Codec codec(m_format.encoding);
    const QStringList fields = this->fields(index, codec);
    return lookup::readWrittenNumber(fields.value(m_format.numberColumn),
                                     lookup::DroppedZero::Restore)
        .text;
}

QString ListDocument::noteOf(qsizetype index) const {
    return rowNote(row(index), m_answers, m_sheet ? 0 : m_format.width);
}

QString rowNote(const ListRow& row, const AnswerTable& answers, int width) {
    if (row.kind == RowKind::Blank)
        return QStringLiteral(u"空の行");
    if (row.kind == RowKind::Unclosed)
        return QStringLiteral(u"引用符が閉じないまま一覧の終わりまで続いています。");
    QStringList notes;
    if (row.kind == RowKind::NoNumber)
        notes << QStringLiteral(u"番号がありません。");
    if (row.zeroRestored)
        notes << QStringLiteral(u"表計算ソフトが落とした先頭の 0 を補いました。");
    if (row.kind == RowKind::Number) {
        const lookup::Answer& answer = *answers[row.answer];
        if (const auto* warning = std::get_if<lookup::Warning>(&answer))
            notes << lookup::fixedText(warning->text);
        else if (const auto* error = std::get_if<runtime::RuntimeError>(&answer))
            notes << error->report()
                         .replace(QStringLiteral("\n\n"), QStringLiteral(" "))
                         .replace(u'\n', u' ');
    }
    if (width > 0 && row.fields != width)
        notes << QStringLiteral(u"列の数が %1 です（ほとんどの行は %2）。")
                     .arg(row.fields)
                     .arg(width);
    return notes.join(u' ');
}

bool ListDocument::write(QIODevice& out, Progress& progress) const {
    RowWriter writer(m_format);
    progress.total = qint64(m_rows.size());
    if (!writeAll(out, writer.start()))
        return false;
    std::string chunk;
    for (qsizetype i = 0; i < qsizetype(m_rows.size()); ++i) {
        writer.append(chunk, row(i), m_answers);
        if (qsizetype(chunk.size()) >= kWriteChunk) {
            if (!writeAll(out, QByteArrayView(chunk.data(), qsizetype(chunk.size()))))
                return false;
            chunk.clear();
        }
        if ((i + 1) % kProgressRows == 0) {
            progress.done = i + 1;
            if (progress.cancelled)
                return false;
        }
    }
    progress.done = qint64(m_rows.size());
    return writeAll(out, QByteArrayView(chunk.data(), qsizetype(chunk.size())));
}

} // namespace zunova::list
