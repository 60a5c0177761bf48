#pragma once

#include "listformat.h"
#include "rowreader.h"

#include "lookup/query.h"
#include "lookup/recordsource.h"

#include <QByteArray>
#include <QIODevice>
#include <QStringList>

#include <atomic>
#include <optional>
#include <vector>

namespace zunova::list {

// How far a long job has come, and whether to stop it: shared between a worker thread and the
// window that shows it.
struct Progress {
    std::atomic<bool> cancelled{false};
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
};

// A list held whole in memory: the window's table. Rows are kept as places in the data, with
// the index of their answer; the fields are read again only for the rows on screen.
class ListDocument {
public:
    // An index into answers() for the header row and blank lines. A list has few answers: the
    // carrier names, two warnings, error 13, and one error a data file.
    static constexpr quint16 kNoAnswer = 0xffff;
    // More rows or bytes than this are for the command line, which streams them.
    static constexpr qsizetype kMaxRows = 10'000'000;
    static constexpr qsizetype kMaxBytes = 0xffffffff;

    // Eight bytes a row, a million rows being memory the kernel must clear first: a row's
    // bytes run up to the next row's, and its line follows from the row before's but where a
    // row spans lines (lineOf), so neither is kept. Plain integers, not bit fields: those are
    // put together in memory in pieces, which stalls the processor every row.
    struct Row {
        quint32 offset; // of its content among the working bytes: a list is under 4 GiB
        quint16 answer; // index into answers(), or kNoAnswer
        quint16 shape;  // fields(), and lineEndSize() in the top two bits

        Row() = default;
        Row(quint32 at, quint16 answerIndex, quint16 fieldsAndLineEnd)
            : offset(at)
            , answer(answerIndex)
            , shape(fieldsAndLineEnd) {}

        // 0 for a blank line; more than kMaxFields count as that many.
        int fields() const { return shape & kMaxFields; }
        // CR LF, LF, CR, or none at the end of the data.
        int lineEndSize() const { return shape >> 14; }
    };
    static_assert(sizeof(Row) == 8);
    static constexpr int kMaxFields = 0x3fff;

    struct Options {
        std::optional<Encoding> encoding;
        ColumnChoice column;
    };

    struct Built;
    // Reads a list from the bytes of a file or of pasted text and answers every row's number
    // through `records`, in order, as lookup::lookUp does; numbers alike are asked once, so
    // `records` must not change meanwhile (a ReadOnceIndex). Stops early when `progress` is
    // cancelled.
    static Built build(const QByteArray& data, const Options& options,
                       lookup::RecordSource& records, Progress& progress);

    const Format& format() const { return m_format; }
    const std::vector<Row>& rows() const { return m_rows; }
    const std::vector<lookup::Answer>& answers() const { return m_answers; }
    // How many rows got each answer, by index.
    const std::vector<qint64>& counts() const { return m_counts; }
    // The most fields a row has.
    int widest() const { return m_widest; }
    // The header row's index, or -1.
    qsizetype headerIndex() const { return m_headerIndex; }
    const QByteArray& data() const { return m_data; }

    // The line the row at `index` starts on, from 1.
    qint64 lineOf(qsizetype index) const;
    // The row at `index`: its content, without its line end, and its fields read from it.
    QByteArrayView content(qsizetype index) const;
    QByteArrayView lineEnd(qsizetype index) const;
    QStringList fields(qsizetype index, Codec& codec) const;
    // The carrier field a row gets: the carrier's name, the column's name in the header row,
    // nothing for a warning or an error.
    QStringView carrierOf(qsizetype index) const;

    // Writes the rows with their carriers in the list's own format. False when cancelled or
    // when `out` fails.
    bool write(QIODevice& out, Progress& progress) const;

private:
    QByteArrayView whole(qsizetype index) const; // content and line end

    QByteArray m_data;    // as given
    QByteArray m_working; // what the rows are read from: m_data itself, or UTF-16 as UTF-8
    qsizetype m_workingStart = 0;
    Format m_format;
    std::vector<Row> m_rows;
    // Where a row's line is not the row before's plus one (the row before has line breaks in
    // quotes): the row's index and its line, in order. Empty for most lists.
    std::vector<std::pair<qsizetype, qint64>> m_lineJumps;
    qsizetype m_headerIndex = -1;
    std::vector<lookup::Answer> m_answers;
    std::vector<qint64> m_counts;
    int m_widest = 0;
};

// Asks the kernel to back a large block with huge pages: a list of a million rows otherwise
// takes thousands of page faults, which cost more than its lookups on a virtual machine.
void adviseHugePages(void* start, std::size_t size);

struct ListDocument::Built {
    std::optional<ListDocument> document;
    Problem problem = Problem::None;
    qint64 line = 0; // where a RowTooLong starts
    bool cancelled = false;
    bool tooManyRows = false; // or bytes
};

} // namespace zunova::list
