// Adding cells to a worksheet by splicing them into its XML: every byte not about the new cells
// stays as it was, where writing the XML out again would change quotes, spaces, prefixes and
// whatever a spreadsheet program does not expect to see changed.
#include "sheetxml.h"

#include <algorithm>
#include <cstring>

namespace zunova::workbook::sheetxml {
namespace {

using list::Problem;

bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

struct Span {
    qsizetype from = -1;
    qsizetype to = -1;
};

// Where an attribute's value lies in a start tag's bytes, from its '<' to its '>'.
std::optional<Span> attributeValue(QByteArrayView tag, QByteArrayView name) {
    const auto skipSpaces = [&](qsizetype i) {
        while (i < tag.size() && isXmlSpace(tag[i]))
            ++i;
        return i;
    };
    const auto endOfName = [&](qsizetype i) {
        while (i < tag.size() && !isXmlSpace(tag[i]) && tag[i] != '=' && tag[i] != '>' &&
               tag[i] != '/')
            ++i;
        return i;
    };
    qsizetype i = endOfName(1); // the element's name
    for (;;) {
        const qsizetype from = skipSpaces(i);
        i = endOfName(from);
        if (i == from)
            return {};
        const QByteArrayView attribute = tag.sliced(from, i - from);
        i = skipSpaces(i);
        if (i >= tag.size() || tag[i] != '=')
            return {};
        i = skipSpaces(i + 1);
        if (i >= tag.size() || (tag[i] != '"' && tag[i] != '\''))
            return {};
        const qsizetype end = tag.indexOf(tag[i], i + 1);
        if (end < 0)
            return {};
        if (attribute == name)
            return Span{i + 1, end};
        i = end + 1;
    }
}

bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// A cell's text as XML character data. A CR is written as a reference, which a reader keeps
// where it would read a CR as a line feed; a character XML cannot hold at all as _xHHHH_, as
// spreadsheet programs write it, and so an underscore that would read as such an escape.
void appendEscaped(QStringView text, QByteArray& out) {
    QString escaped;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool pair =
            c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const bool looksEscaped =
            c == u'_' && i + 7 <= text.size() && text[i + 1] == u'x' && text[i + 6] == u'_' &&
            std::all_of(text.begin() + i + 2, text.begin() + i + 6, isHexDigit);
        if (c == u'&')
            escaped += u"&amp;";
        else if (c == u'<')
            escaped += u"&lt;";
        else if (c == u'>')
            escaped += u"&gt;";
        else if (c == u'\r')
            escaped += u"&#13;";
        else if (pair)
            escaped += text.sliced(i++, 2);
        else if ((c < u' ' && c != u'\t' && c != u'\n') || c.isSurrogate() || c == u'\xFFFE' ||
                 c == u'\xFFFF' || looksEscaped)
            escaped += QString::asprintf("_x%04X_", c.unicode());
        else
            escaped += c;
    }
    out += escaped.toUtf8();
}

QByteArray reference(int column, qint64 row) {
    return columnName(column).toLatin1() + QByteArray::number(row);
}

// The name an element's start tag gives it: "row", "x:row".
QByteArrayView nameInTag(QByteArrayView tag) {
    qsizetype end = 1;
    while (end < tag.size() && !isXmlSpace(tag[end]) && tag[end] != '/' && tag[end] != '>')
        ++end;
    return tag.sliced(1, end - 1);
}

} // namespace

// Makes the new sheet a step at a time: the bytes before a row and the row with its new cells,
// so that only a row's worth is held beside the sheet being copied.
class CellSplice::Adder {
public:
    Adder(const QByteArray& xml, const SheetLayout& layout, const AddedColumns& added)
        : m_in(xml)
        , m_layout(layout)
        , m_added(added) {
        // Each text as the XML of a cell's inline string, made once: they come back row after row.
        for (const QString& text : added.texts()) {
            QByteArray content = '<' + layout.prefix + 't';
            if (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()))
                content += " xml:space=\"preserve\"";
            content += '>';
            appendEscaped(text, content);
            content += "</" + layout.prefix + "t>";
            m_contents.append(content);
        }
    }

    // Which rows get cells, and the columns they reach; none on a cell of its row.
    Problem measure() {
        // The new cells are written in UTF-8, and only into a sheet that has rows.
        if (!m_layout.utf8 || m_layout.rows.from < 0)
            return Problem::Damaged;
        if (m_added.rows() > list::kMaxRows)
            return Problem::TooManyRows;
        if (m_added.firstColumn() < 1)
            return Problem::NoRoom;
        for (qint64 row = 1; row <= m_added.rows(); ++row) {
            const int reach = lastColumnOf(row);
            if (reach == 0)
                continue;
            if (reach > kMaxSheetColumns)
                return Problem::NoRoom;
            m_lastColumn = std::max(m_lastColumn, reach);
            m_firstRow = m_firstRow ? m_firstRow : row;
            m_lastRow = row;
        }
        for (const SheetLayout::Row& row : m_layout.rowTags) {
            if (row.lastColumn >= m_added.firstColumn() && lastColumnOf(row.number) > 0)
                return Problem::NoRoom;
        }
        return Problem::None;
    }

    // The next piece of the new sheet into `out`; false once all of it was made.
    bool step(QByteArray& out) {
        m_out = &out;
        switch (m_stage) {
        case Stage::Head:
            // The dimension comes before the rows in a sheet; it is widened where it lies.
            if (m_layout.dimension.from >= 0 && m_layout.dimension.from < m_layout.rows.from)
                widenDimension();
            m_stage = Stage::Rows;
            return true;
        case Stage::Rows:
            if (m_nextTag < m_layout.rowTags.size())
                addToRow(m_layout.rowTags[m_nextTag++]);
            else
                m_stage = Stage::After;
            return true;
        case Stage::After:
            insert(m_layout.rows, newRows(m_nextRow, m_lastRow + 1));
            if (m_layout.dimension.from > m_layout.rows.from)
                widenDimension();
            splice(m_in.size(), m_in.size(), {});
            m_stage = Stage::Done;
            return true;
        case Stage::Done:
            break;
        }
        return false;
    }

private:
    enum class Stage { Head, Rows, After, Done };

    void addToRow(const SheetLayout::Row& row) {
        if (const QByteArray before = newRows(m_nextRow, row.number); !before.isEmpty())
            splice(row.tag.from, row.tag.from, before);
        if (lastColumnOf(row.number) > 0) {
            widenSpans(row.tag, row.number);
            insert(row.tag, cells(row.number));
        }
        m_nextRow = row.number + 1;
    }

    // The last column a row's new cells reach, or 0 for none.
    int lastColumnOf(qint64 row) const {
        for (int column = m_added.columns(); column > 0; --column) {
            if (m_added.at(row, column - 1) != 0)
                return m_added.firstColumn() + column - 1;
        }
        return 0;
    }

    QByteArrayView bytes(qsizetype from, qsizetype to) const {
        return QByteArrayView(m_in).sliced(from, to - from);
    }

    // Copies the sheet up to `from`, then `text`, and goes on from `to`.
    void splice(qsizetype from, qsizetype to, QByteArrayView text) {
        *m_out += QByteArrayView(m_in).sliced(m_copied, from - m_copied);
        *m_out += text;
        m_copied = to;
    }
    // Puts `content` at the end of the element `tag`: before its end tag, or into the start
    // tag itself where that closes it.
    void insert(const SheetLayout::Tag& tag, const QByteArray& content) {
        if (content.isEmpty())
            return;
        if (tag.close >= 0) {
            splice(tag.close, tag.close, content);
        } else {
            const QByteArrayView name = nameInTag(bytes(tag.from, tag.to));
            splice(tag.to - 2, tag.to, '>' + content + "</" + name.toByteArray() + '>');
        }
    }

    QByteArray cells(qint64 row) const {
        const QByteArray& prefix = m_layout.prefix;
        QByteArray out;
        for (int column = 0; column < m_added.columns(); ++column) {
            const quint32 text = m_added.at(row, column);
            if (text == 0)
                continue;
            out += '<' + prefix + "c r=\"" + reference(m_added.firstColumn() + column, row) +
                   "\" t=\"inlineStr\"><" + prefix + "is>" + m_contents[text] + "</" + prefix +
                   "is></" + prefix + "c>";
        }
        return out;
    }
    // Rows from..to-1 that the sheet lacks but that get cells.
    QByteArray newRows(qint64 from, qint64 to) const {
        const QByteArray& prefix = m_layout.prefix;
        QByteArray out;
        for (qint64 row = std::max(from, m_firstRow); row < to && row <= m_lastRow; ++row) {
            if (lastColumnOf(row) > 0)
                out += '<' + prefix + "row r=\"" + QByteArray::number(row) + "\">" + cells(row) +
                       "</" + prefix + "row>";
        }
        return out;
    }

    // spans="1:3", the columns a row's cells take, a hint to readers: the new cells widen it.
    void widenSpans(const SheetLayout::Tag& rowTag, qint64 row) {
        const auto value = attributeValue(bytes(rowTag.from, rowTag.to), "spans");
        if (!value)
            return;
        const Span span{rowTag.from + value->from, rowTag.from + value->to};
        const QByteArrayView spans = bytes(span.from, span.to);
        const qsizetype colon = spans.lastIndexOf(':');
        bool ok = false;
        const int last = colon < 0 ? 0 : spans.sliced(colon + 1).toInt(&ok);
        const int reach = lastColumnOf(row);
        if (ok && last < reach)
            splice(span.from + colon + 1, span.to, QByteArray::number(reach));
    }

    // <dimension ref="A1:C10"/>: the range the sheet's cells take, widened to the new ones.
    void widenDimension() {
        const SheetLayout::Tag& element = m_layout.dimension;
        const auto value = attributeValue(bytes(element.from, element.to), "ref");
        if (!value || m_lastColumn == 0)
            return;
        const Span span{element.from + value->from, element.from + value->to};
        const QByteArrayView range = bytes(span.from, span.to);
        const qsizetype colon = range.indexOf(':');
        int firstColumn = 0, lastColumn = 0;
        qint64 firstRow = 0, lastRow = 0;
        if (!parseCellReference(range.first(colon < 0 ? range.size() : colon), firstColumn,
                                firstRow) ||
            !parseCellReference(range.sliced(colon + 1), lastColumn, lastRow))
            return;
        const QByteArray widened =
            reference(std::min(firstColumn, m_added.firstColumn()),
                      std::min(firstRow, m_firstRow)) +
            ':' + reference(std::max(lastColumn, m_lastColumn), std::max(lastRow, m_lastRow));
        if (widened != range)
            splice(span.from, span.to, widened);
    }

    const QByteArray& m_in;
    const SheetLayout& m_layout;
    const AddedColumns& m_added;
    QByteArrayList m_contents; // each text's <t> element
    QByteArray* m_out = nullptr;
    qsizetype m_copied = 0; // of m_in, into what was made
    Stage m_stage = Stage::Head;
    std::size_t m_nextTag = 0; // the row tag to add to next
    qint64 m_nextRow = 1;      // the first row not written yet
    // The new cells' extent: rows and last column with a text.
    qint64 m_firstRow = 0;
    qint64 m_lastRow = 0;
    int m_lastColumn = 0;
};

CellSplice::CellSplice(const QByteArray& xml, const SheetLayout& layout, const AddedColumns& added)
    : m_adder(std::make_unique<Adder>(xml, layout, added)) {}

CellSplice::~CellSplice() = default;

list::Problem CellSplice::check() {
    return m_adder->measure();
}

qsizetype CellSplice::read(char* out, qsizetype size) {
    qsizetype done = 0;
    while (done < size) {
        if (m_at == m_made.size()) {
            m_made.resize(0); // keeps its room for the next piece
            m_at = 0;
            if (!m_adder->step(m_made))
                break;
            continue;
        }
        const qsizetype piece = std::min(size - done, m_made.size() - m_at);
        std::memcpy(out + done, m_made.constData() + m_at, std::size_t(piece));
        done += piece;
        m_at += piece;
    }
    return done;
}

list::Problem addCells(const QByteArray& xml, const SheetLayout& layout, const AddedColumns& added,
                       QByteArray& out) {
    CellSplice splice(xml, layout, added);
    if (const list::Problem problem = splice.check(); problem != list::Problem::None)
        return problem;
    out.clear();
    constexpr qsizetype kPiece = 64 * 1024;
    for (qsizetype got = 1; got > 0;) {
        out.resize(out.size() + kPiece);
        got = splice.read(out.data() + out.size() - kPiece, kPiece);
        out.resize(out.size() - kPiece + got);
    }
    return list::Problem::None;
}

} // namespace zunova::workbook::sheetxml
