#include "rowreader.h"

#include <csv.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace zunova::textlist {
namespace {

int isSpace(unsigned char c) {
    return c == ' ' || c == '\t';
}
int isSpaceNotTab(unsigned char c) {
    return c == ' ';
}

// libcsv grows a field's buffer a fixed step at a time: in steps of 1 MiB a field of the row cap
// (16 MiB) is 16 reallocations, not the 131,072 of its default 128 bytes, which an allocator
// that copies each time (AddressSanitizer's) takes minutes over.
constexpr std::size_t kFieldBufferStep = 1024 * 1024;

void initParser(csv_parser& parser, char delimiter) {
    csv_init(&parser, 0);
    csv_set_blk_size(&parser, kFieldBufferStep);
    csv_set_delim(&parser, static_cast<unsigned char>(delimiter));
    csv_set_space_func(&parser, delimiter == '\t' ? isSpaceNotTab : isSpace);
}

bool isBlank(QByteArrayView content) {
    return std::all_of(content.begin(), content.end(),
                       [](char c) { return c == ' ' || c == '\t'; });
}

// Whether libcsv passes over a line without starting a row: it skips spaces (and tabs, unless
// they delimit) before a row, and ignores a line end where no row has begun.
bool skippedByParser(QByteArrayView content, char delimiter) {
    return std::all_of(content.begin(), content.end(),
                       [&](char c) { return c == ' ' || (c == '\t' && delimiter != '\t'); });
}

// The first CR or LF at or after `from`, or -1.
qsizetype findLineEnd(QByteArrayView data, qsizetype from) {
    const auto end = std::find_if(data.begin() + from, data.end(),
                                  [](char c) { return c == '\r' || c == '\n'; });
    return end == data.end() ? -1 : qsizetype(end - data.begin());
}

} // namespace

struct RowReader::Parser {
    csv_parser csv{};
    explicit Parser(char delimiter) { initParser(csv, delimiter); }
    ~Parser() { csv_free(&csv); }
};

RowReader::RowReader(char delimiter)
    : m_delimiter(delimiter)
    , m_parser(delimiter ? std::make_unique<Parser>(delimiter) : nullptr) {}

RowReader::~RowReader() = default;

void RowReader::onField(void* field, std::size_t size, void* self) {
    static_cast<RowReader*>(self)->m_cells.append(
        QByteArrayView(static_cast<const char*>(field), qsizetype(size)));
}

void RowReader::onRowEnd(int, void* self) {
    auto* reader = static_cast<RowReader*>(self);
    reader->m_rowEnded = true;
    reader->m_rowFields = int(reader->m_cells.view().size());
}

bool RowReader::deliver(QByteArrayView whole, qsizetype lineEndSize, int fields, const Each& each) {
    Row row;
    row.content = whole.first(whole.size() - lineEndSize);
    row.lineEnd = whole.last(lineEndSize);
    row.offset = m_rowOffset;
    row.line = m_rowLine;
    // Nothing but spaces and tabs is a blank line, whatever the delimiter.
    row.fields = isBlank(row.content) ? 0 : fields;
    row.cells = m_cells.view();
    row.unclosed = m_unclosed;
    const bool more = each(row);
    m_pending.clear();
    m_cells.clear();
    m_rowEnded = false;
    return more;
}

// A line of a list without delimiters is a row of one field, its number.
bool RowReader::takeLine(QByteArrayView whole, qsizetype lineEndSize, const Each& each) {
    m_rowOffset = m_offset;
    m_rowLine = m_line;
    m_offset += whole.size();
    m_line += lineEndSize > 0 ? 1 : 0;
    m_cells.append(whole.first(whole.size() - lineEndSize));
    return deliver(whole, lineEndSize, 1, each);
}

bool RowReader::takePiece(QByteArrayView piece, qsizetype lineEndSize, const Each& each) {
    m_endedMidLine = lineEndSize == 0;
    if (m_delimiter == 0)
        return takeLine(piece, lineEndSize, each);
    if (m_pending.isEmpty()) {
        m_rowOffset = m_offset;
        m_rowLine = m_line;
    }
    m_offset += piece.size();
    m_line += lineEndSize > 0 ? 1 : 0;
    csv_parse(&m_parser->csv, piece.data(), std::size_t(piece.size()), onField, onRowEnd, this);
    if (m_rowEnded) {
        if (m_pending.isEmpty())
            return deliver(piece, lineEndSize, m_rowFields, each);
        m_pending.append(piece);
        return deliver(m_pending, lineEndSize, m_rowFields, each);
    }
    if (m_pending.isEmpty() &&
        skippedByParser(piece.first(piece.size() - lineEndSize), m_delimiter))
        return deliver(piece, lineEndSize, 0, each); // a blank line
    m_pending.append(piece);
    return true;
}

RowReader::Status RowReader::finish(const Each& each) {
    if (m_delimiter == 0 || m_pending.isEmpty())
        return Status::Done;
    // A line end the data do not have: it ends the row unless a quote is still open in it.
    csv_parse(&m_parser->csv, "\n", 1, onField, onRowEnd, this);
    if (m_rowEnded)
        return deliver(m_pending, 0, m_rowFields, each) ? Status::Done : Status::Stopped;
    csv_fini(&m_parser->csv, onField, onRowEnd, this);
    m_unclosed = true;
    const bool more = deliver(m_pending, 0, m_rowFields, each);
    return more ? Status::UnclosedQuote : Status::Stopped;
}

RowReader::Status RowReader::read(QByteArrayView data, bool last, const Each& each) {
    qsizetype start = 0;
    const qsizetype size = data.size();
    // A piece left over that ends in CR: a line end of its own unless LF comes next.
    if (m_tail.endsWith('\r') && (size > 0 || last)) {
        const bool crLf = size > 0 && data[0] == '\n';
        if (crLf) {
            m_tail.append('\n');
            start = 1;
        }
        const QByteArray piece = std::exchange(m_tail, {});
        if (!takePiece(piece, crLf ? 2 : 1, each))
            return Status::Stopped;
    }
    while (start < size) {
        const qsizetype end = findLineEnd(data, start);
        if (end < 0)
            break;
        qsizetype after = end + 1;
        if (data[end] == '\r') {
            if (after == size && !last)
                break; // LF may come in the next piece
            if (after < size && data[after] == '\n')
                ++after;
        }
        bool more;
        if (m_tail.isEmpty()) {
            more = takePiece(data.sliced(start, after - start), after - end, each);
        } else {
            m_tail.append(data.sliced(start, after - start));
            const QByteArray piece = std::exchange(m_tail, {});
            more = takePiece(piece, after - end, each);
        }
        if (!more)
            return Status::Stopped;
        start = after;
        if (m_pending.size() > list::kMaxRowBytes)
            return Status::RowTooLong;
    }
    if (start < size) {
        m_tail.append(data.sliced(start));
        if (m_tail.size() + m_pending.size() > list::kMaxRowBytes) {
            if (m_pending.isEmpty())
                m_rowLine = m_line;
            return Status::RowTooLong;
        }
    }
    if (!last)
        return Status::Done;
    if (!m_tail.isEmpty()) {
        const QByteArray piece = std::exchange(m_tail, {});
        if (!takePiece(piece, 0, each))
            return Status::Stopped;
    }
    return finish(each);
}

QByteArrayList splitFields(QByteArrayView content, char delimiter) {
    QByteArrayList fields;
    if (delimiter == 0) {
        fields << content.toByteArray();
        return fields;
    }
    csv_parser parser{};
    initParser(parser, delimiter);
    auto onField = [](void* field, std::size_t size, void* list) {
        static_cast<QByteArrayList*>(list)->append(
            QByteArray(static_cast<const char*>(field), qsizetype(size)));
    };
    csv_parse(&parser, content.data(), std::size_t(content.size()), onField, nullptr, &fields);
    csv_fini(&parser, onField, nullptr, &fields);
    csv_free(&parser);
    return fields;
}

} // namespace zunova::textlist
