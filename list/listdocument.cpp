#include "listdocument.h"

#include "rowwriter.h"

#include "lookup/listanswers.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <sys/mman.h>
#include <utility>

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

void adviseHugePages(void* start, std::size_t size) {
    // Only whole huge pages inside the block; the advice is a hint, and failing it changes
    // nothing but the speed.
    constexpr std::uintptr_t kHuge = 2 * 1024 * 1024;
    const auto begin = (reinterpret_cast<std::uintptr_t>(start) + kHuge - 1) & ~(kHuge - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(start) + size) & ~(kHuge - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

ListDocument::Built ListDocument::build(const QByteArray& data, const Options& options,
                                        lookup::RecordSource& records, Progress& progress) {
    Built built;
    const Detection detection =
        detect(QByteArrayView(data).first(std::min(data.size(), kSampleBytes)),
               data.size() <= kSampleBytes, options.encoding, options.column);
    if (detection.problem != Problem::None) {
        built.problem = detection.problem;
        return built;
    }
    ListDocument document;
    document.m_data = data;
    document.m_format = detection.format;
    const Format& format = document.m_format;
    if (format.isUtf16()) {
        Utf16Reader reader(format.encoding);
        if (!reader.read(QByteArrayView(data).sliced(format.dataStart()), true,
                         document.m_working)) {
            built.problem = Problem::NotUtf16;
            return built;
        }
    } else {
        document.m_working = data; // shared, not copied
        document.m_workingStart = format.dataStart();
    }
    const QByteArrayView working =
        QByteArrayView(document.m_working).sliced(document.m_workingStart);
    progress.total = working.size();
    if (working.size() > kMaxBytes) {
        built.tooManyRows = true;
        return built;
    }
    // One row a line in most lists: room for them all at once, rather than copies as they come,
    // judged by the lines of the first megabyte (counting them all was a pass over the list).
    const QByteArrayView sample = working.first(std::min(working.size(), kSampleBytes));
    const qint64 sampleLines = std::count(sample.begin(), sample.end(), '\n') + 1;
    const qint64 likelyRows =
        sample.isEmpty() ? 1 : sampleLines * working.size() / sample.size() * 17 / 16;
    document.m_rows.reserve(std::size_t(std::min(likelyRows, qint64(kMaxRows))));
    adviseHugePages(document.m_rows.data(), document.m_rows.capacity() * sizeof(Row));

    NumberFields numbers(format.encoding);
    lookup::ListAnswers answers(records);
    RowReader reader(format.delimiter, format.numberColumn);
    const RowReader::Status status = reader.read(working, true, [&](const list::Row& read) {
        if (qsizetype(document.m_rows.size()) >= kMaxRows) {
            built.tooManyRows = true;
            return false;
        }
        quint16 answer = kNoAnswer;
        if (read.fields > 0 && format.header && document.m_headerIndex < 0) {
            document.m_headerIndex = qsizetype(document.m_rows.size());
        } else if (read.fields > 0) {
            answer = answers.indexOf(read.number, [&] { return numbers.read(read.number); });
            if (answer >= document.m_counts.size())
                document.m_counts.resize(answer + 1u);
            ++document.m_counts[answer];
        }
        const int fields = std::min(read.fields, kMaxFields);
        document.m_widest = std::max(document.m_widest, fields);
        // Made in place: a row made first and copied in is read back whole as it is being
        // stored in pieces.
        const auto index = qsizetype(document.m_rows.size());
        if (read.line != document.lineOf(index))
            document.m_lineJumps.emplace_back(index, read.line);
        document.m_rows.emplace_back(quint32(read.offset), answer,
                                     quint16(fields | read.lineEnd.size() << 14));
        if (document.m_rows.size() % kProgressRows == 0) {
            progress.done = read.offset;
            return !progress.cancelled.load();
        }
        return true;
    });
    if (status == RowReader::Status::RowTooLong) {
        built.problem = Problem::RowTooLong;
        built.line = reader.rowLine();
        return built;
    }
    if (built.tooManyRows)
        return built;
    if (status == RowReader::Status::Stopped) {
        built.cancelled = true;
        return built;
    }
    document.m_answers = answers.takeAnswers();
    progress.done = working.size();
    built.document = std::move(document);
    return built;
}

QByteArrayView ListDocument::whole(qsizetype index) const {
    const qsizetype start = m_workingStart + m_rows[std::size_t(index)].offset;
    const qsizetype end = index + 1 < qsizetype(m_rows.size())
                              ? m_workingStart + m_rows[std::size_t(index + 1)].offset
                              : m_working.size();
    return QByteArrayView(m_working).sliced(start, end - start);
}

qint64 ListDocument::lineOf(qsizetype index) const {
    const auto after = std::upper_bound(
        m_lineJumps.begin(), m_lineJumps.end(), index,
        [](qsizetype at, const std::pair<qsizetype, qint64>& jump) { return at < jump.first; });
    if (after == m_lineJumps.begin())
        return index + 1;
    const auto& [row, line] = *std::prev(after);
    return line + (index - row);
}

QByteArrayView ListDocument::content(qsizetype index) const {
    return whole(index).chopped(m_rows[std::size_t(index)].lineEndSize());
}

QByteArrayView ListDocument::lineEnd(qsizetype index) const {
    return whole(index).last(m_rows[std::size_t(index)].lineEndSize());
}

QStringList ListDocument::fields(qsizetype index, Codec& codec) const {
    QStringList out;
    for (const QByteArray& field : splitFields(content(index), m_format.delimiter))
        out << codec.decode(field);
    return out;
}

QStringView ListDocument::carrierOf(qsizetype index) const {
    if (index == m_headerIndex)
        return kCarrierColumnName;
    const quint16 answer = m_rows[std::size_t(index)].answer;
    if (answer == kNoAnswer)
        return {};
    const auto* carrier = std::get_if<lookup::Carrier>(&m_answers[answer]);
    return carrier ? QStringView(carrier->name) : QStringView();
}

bool ListDocument::write(QIODevice& out, Progress& progress) const {
    RowWriter writer(m_format);
    progress.total = qint64(m_rows.size());
    // Each answer's field once, not once a row.
    std::vector<QByteArray> fields;
    for (const lookup::Answer& answer : m_answers) {
        const auto* carrier = std::get_if<lookup::Carrier>(&answer);
        fields.push_back(carrier ? writer.carrierField(carrier->name).toByteArray() : QByteArray());
    }
    const QByteArray header = writer.carrierField(kCarrierColumnName).toByteArray();
    // Rows are written in place into a chunk, and the chunk to `out` when the next row may not
    // fit; a UTF-16 row, or one larger than a chunk, is encoded on its own first.
    const auto chunk = std::make_unique_for_overwrite<char[]>(std::size_t(kWriteChunk));
    qsizetype used = 0;
    auto flush = [&] {
        return writeAll(out, QByteArrayView(chunk.get(), std::exchange(used, 0)));
    };
    auto add = [&](QByteArrayView bytes) {
        if (used + bytes.size() > kWriteChunk && !flush())
            return false;
        if (bytes.size() > kWriteChunk)
            return writeAll(out, bytes);
        if (!bytes.isEmpty())
            std::memcpy(chunk.get() + used, bytes.data(), std::size_t(bytes.size()));
        used += bytes.size();
        return true;
    };
    if (!add(writer.start()))
        return false;
    QByteArray encoded;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const Row& row = m_rows[i];
        const QByteArrayView bytes = whole(qsizetype(i));
        const QByteArrayView content = bytes.chopped(row.lineEndSize());
        const QByteArrayView lineEnd = bytes.last(row.lineEndSize());
        const QByteArrayView field = qsizetype(i) == m_headerIndex ? QByteArrayView(header)
                                     : row.answer == kNoAnswer     ? QByteArrayView()
                                                               : QByteArrayView(fields[row.answer]);
        const qsizetype room = RowWriter::roomFor(content, lineEnd, m_format.width, field);
        if (writer.writesInPlace() && room <= kWriteChunk) {
            if (used + room > kWriteChunk && !flush())
                return false;
            used = writer.write(chunk.get() + used, content, lineEnd, row.fields(), field) -
                   chunk.get();
        } else {
            writer.appendEncoded(encoded, content, lineEnd, row.fields(), field);
            if (!add(encoded))
                return false;
            encoded.resize(0);
        }
        if ((i + 1) % kProgressRows == 0) {
            progress.done = qint64(i + 1);
            if (progress.cancelled)
                return false;
        }
    }
    progress.done = qint64(m_rows.size());
    return flush();
}

} // namespace zunova::list
