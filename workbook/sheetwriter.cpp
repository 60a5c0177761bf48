// Adding cells to a worksheet by splicing them into its XML: every byte not about the new cells
// stays as it was, where writing the XML out again would change quotes, spaces, prefixes and
// whatever a spreadsheet program does not expect to see changed.
#include "sheetxml.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace zunova::workbook::sheetxml {
namespace {

using list::Problem;

bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
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

QByteArrayView localNameOf(QByteArrayView name) {
    return name.sliced(name.indexOf(':') + 1);
}

// Where a tag that starts at `from` ends: after its '>', quoted values passed over.
qsizetype endOfTag(QByteArrayView xml, qsizetype from) {
    char quote = 0;
    for (qsizetype i = from + 1; i < xml.size(); ++i) {
        const char c = xml[i];
        if (quote != 0)
            quote = c == quote ? 0 : quote;
        else if (c == '"' || c == '\'')
            quote = c;
        else if (c == '>')
            return i + 1;
    }
    return xml.size();
}

// The end of an element: after its end tag, or after its one tag.
qsizetype endOfElement(QByteArrayView xml, const SheetLayout::Tag& tag) {
    return tag.close < 0 ? tag.to : endOfTag(xml, tag.close);
}

// A cell of a row as the sheet's XML has it.
struct CellElement {
    int column = 0;
    qsizetype from = 0;      // its '<'
    qsizetype to = -1;       // after its end
    bool referenced = false; // by an r attribute; else it is the one after the cell before
    QByteArray style;        // its s attribute's value; empty for none
};

// The cells in from..to of `xml`, a row's content: its elements named c, their columns counted
// as reading counts them. The XML was read whole before, so it is well-formed.
std::vector<CellElement> cellsIn(QByteArrayView xml, qsizetype from, qsizetype to) {
    std::vector<CellElement> cells;
    int depth = 0;
    int column = 0;
    const auto after = [&](qsizetype at, QByteArrayView end) {
        const qsizetype found = xml.indexOf(end, at);
        return found < 0 ? to : found + end.size();
    };
    for (qsizetype i = xml.indexOf('<', from); i >= 0 && i < to; i = xml.indexOf('<', i)) {
        const QByteArrayView rest = xml.sliced(i);
        if (rest.startsWith("<!--") || rest.startsWith("<![CDATA[") || rest.startsWith("<?")) {
            i = after(i, rest.startsWith("<!--") ? "-->" : rest.startsWith("<?") ? "?>" : "]]>");
            continue;
        }
        const qsizetype end = endOfTag(xml, i);
        if (rest.startsWith("</")) {
            if (--depth == 0 && !cells.empty() && cells.back().to < 0)
                cells.back().to = end;
            i = end;
            continue;
        }
        const bool single = xml[end - 2] == '/';
        const QByteArrayView tag = xml.sliced(i, end - i);
        if (depth == 0 && localNameOf(nameInTag(tag)) == "c") {
            CellElement cell{column + 1, i, single ? end : -1, false, {}};
            if (const auto r = attributeIn(tag, "r")) {
                qint64 row = 0;
                cell.referenced = parseCellReference(
                    tag.sliced(r->valueFrom, r->valueTo - r->valueFrom), cell.column, row);
            }
            if (const auto s = attributeIn(tag, "s"))
                cell.style = tag.sliced(s->valueFrom, s->valueTo - s->valueFrom).toByteArray();
            column = cell.column;
            cells.push_back(std::move(cell));
        }
        depth += single ? 0 : 1;
        i = end;
    }
    return cells;
}

// A text's width in a column, in the widths of a digit: a full-width character takes two.
int widthOf(QStringView text) {
    int width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate()) {
            ++i; // a character beyond the basic plane, as wide as the ideographs most are
            width += 2;
            continue;
        }
        const bool halfWidth =
            c < 0x1100 || (c >= 0xFF61 && c <= 0xFFDC) || (c >= 0xFFE8 && c <= 0xFFEE);
        width += halfWidth ? 1 : 2;
    }
    return width;
}

} // namespace

// Makes the new sheet a step at a time: the bytes before a row and the row with its new cells,
// so that only a row's worth is held beside the sheet being copied.
class CellSplice::Adder {
public:
    Adder(const QByteArray& xml, const SheetLayout& layout, const AddedColumns& added)
        : m_in(xml)
        , m_layout(layout)
        , m_added(added)
        , m_widths(std::size_t(std::max(added.columns(), 0)), 0) {
        // Each text as the XML of a cell's inline string, made once: they come back row after row.
        for (const QString& text : added.texts()) {
            QByteArray content = '<' + layout.prefix + 't';
            if (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()))
                content += " xml:space=\"preserve\"";
            content += '>';
            appendEscaped(text, content);
            content += "</" + layout.prefix + "t>";
            m_contents.append(content);
            m_textWidths.push_back(text.isEmpty() ? 0 : widthOf(text));
        }
    }

    // Which rows get cells, the columns they reach and how wide; none on a cell of its row
    // unless the columns are the sheet's own.
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
            for (int column = 0; column < m_added.columns(); ++column) {
                int& width = m_widths[std::size_t(column)];
                width = std::max(width, m_textWidths[m_added.at(row, column)]);
            }
        }
        if (m_added.replaces())
            return Problem::None;
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
            // The dimension and the columns' widths come before the rows in a sheet, its filter
            // after them; each is changed where it lies.
            m_edits = editsAround();
            applyEdits(m_layout.rows.from);
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
            applyEdits(m_in.size());
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
        const bool texts = lastColumnOf(row.number) > 0;
        if (texts)
            widenSpans(row.tag, row.number);
        // The cells the new ones replace, and the header's style, are found in the row.
        if ((m_added.replaces() && row.lastColumn >= m_added.firstColumn()) ||
            (texts && row.number == m_added.headerRow()))
            rewriteRow(row);
        else if (texts)
            insert(row.tag, cells(row.number));
        m_nextRow = row.number + 1;
    }

    // Writes the row's new cells in their columns, in the place of the cells there: each keeps
    // its style, and loses its value where the row has no text for it. A new header cell
    // takes the style of the header cell to its left.
    void rewriteRow(const SheetLayout::Row& row) {
        const int first = m_added.firstColumn();
        const int last = first + m_added.columns() - 1;
        const bool header = row.number == m_added.headerRow();
        const std::vector<CellElement> old = row.tag.close < 0
                                                 ? std::vector<CellElement>()
                                                 : cellsIn(m_in, row.tag.to, row.tag.close);
        auto at = old.begin();
        QByteArray left; // the style of the cell to the left
        for (; at != old.end() && at->column < first; ++at)
            left = at->style;
        const auto replaced = at;
        QByteArray content;
        int written = 0; // the column of the last cell written
        for (int column = first; column <= last; ++column) {
            const bool there = at != old.end() && at->column == column;
            const QByteArray style = there ? at->style : header ? left : QByteArray();
            const QByteArray made =
                cell(column, row.number, m_added.at(row.number, column - first), style, there);
            written = made.isEmpty() ? written : column;
            content += made;
            left = style;
            at += there ? 1 : 0;
        }
        // A cell without a reference after them is the one after the last of them.
        if (at != old.end() && !at->referenced && written != last)
            content += '<' + m_layout.prefix + "c r=\"" + reference(last, row.number) + "\"/>";
        if (row.tag.close < 0)
            return insert(row.tag, content);
        const qsizetype from = replaced != old.end() ? replaced->from : row.tag.close;
        const qsizetype to = replaced != at ? std::prev(at)->to : from;
        if (from != to || !content.isEmpty())
            splice(from, to, content);
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
    Edit atEnd(const SheetLayout::Tag& tag, const QByteArray& content) const {
        if (tag.close >= 0)
            return {tag.close, tag.close, content};
        const QByteArrayView name = nameInTag(bytes(tag.from, tag.to));
        return {tag.to - 2, tag.to, '>' + content + "</" + name.toByteArray() + '>'};
    }
    void insert(const SheetLayout::Tag& tag, const QByteArray& content) {
        if (content.isEmpty())
            return;
        const Edit edit = atEnd(tag, content);
        splice(edit.from, edit.to, edit.text);
    }
    // The edits outside the rows that lie before `limit`, in order.
    void applyEdits(qsizetype limit) {
        for (; m_nextEdit < m_edits.size() && m_edits[m_nextEdit].to <= limit; ++m_nextEdit)
            splice(m_edits[m_nextEdit].from, m_edits[m_nextEdit].to, m_edits[m_nextEdit].text);
    }

    // A cell with a text, in a style; where it has no text, a cell that was `there` keeps its
    // style alone, else none is made.
    QByteArray cell(int column, qint64 row, quint32 text, const QByteArray& style,
                    bool there = false) const {
        const QByteArray& prefix = m_layout.prefix;
        if (text == 0 && (!there || style.isEmpty()))
            return {};
        QByteArray out = '<' + prefix + "c r=\"" + reference(column, row) + '"';
        if (!style.isEmpty())
            out += " s=\"" + style + '"';
        if (text == 0)
            return out + "/>";
        return out + " t=\"inlineStr\"><" + prefix + "is>" + m_contents[text] + "</" + prefix +
               "is></" + prefix + "c>";
    }
    QByteArray cells(qint64 row) const {
        QByteArray out;
        for (int column = 0; column < m_added.columns(); ++column)
            out += cell(m_added.firstColumn() + column, row, m_added.at(row, column), {});
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
        const auto value = attributeIn(bytes(rowTag.from, rowTag.to), "spans");
        if (!value)
            return;
        const qsizetype from = rowTag.from + value->valueFrom;
        const QByteArrayView spans = bytes(from, rowTag.from + value->valueTo);
        const qsizetype colon = spans.lastIndexOf(':');
        bool ok = false;
        const int last = colon < 0 ? 0 : spans.sliced(colon + 1).toInt(&ok);
        const int reach = lastColumnOf(row);
        if (ok && last < reach)
            splice(from + colon + 1, rowTag.from + value->valueTo, QByteArray::number(reach));
    }

    // What changes outside the rows, in the order it lies in.
    std::vector<Edit> editsAround() const {
        std::vector<Edit> edits = columnEdits();
        if (m_lastColumn > 0) {
            changeRange(m_layout.dimension, &Adder::widenedDimension, edits);
            changeRange(m_layout.autoFilter, &Adder::grownFilter, edits);
        }
        std::stable_sort(edits.begin(), edits.end(),
                         [](const Edit& a, const Edit& b) { return a.from < b.from; });
        return edits;
    }
    // The edit of the range an element's ref gives, where `change` changes it.
    void changeRange(const SheetLayout::Tag& tag, bool (Adder::*change)(CellRange&) const,
                     std::vector<Edit>& edits) const {
        CellRange range;
        const std::optional<AttributeSpan> value = rangeIn(tag, range);
        if (value && (this->*change)(range))
            edits.push_back(
                {tag.from + value->valueFrom, tag.from + value->valueTo, rangeText(range)});
    }
    std::optional<AttributeSpan> rangeIn(const SheetLayout::Tag& tag, CellRange& range) const {
        const auto value =
            tag.from < 0 ? std::nullopt : attributeIn(bytes(tag.from, tag.to), "ref");
        if (!value ||
            !parseRange(bytes(tag.from + value->valueFrom, tag.from + value->valueTo), range))
            return {};
        return value;
    }

public:
    std::optional<std::pair<CellRange, CellRange>> filterChange() const {
        CellRange range;
        if (m_lastColumn == 0 || !rangeIn(m_layout.autoFilter, range))
            return {};
        const CellRange before = range;
        return grownFilter(range) ? std::optional(std::pair(before, range)) : std::nullopt;
    }

private:
    // <dimension ref="A1:C10"/>: the range the sheet's cells take, widened to the new ones.
    bool widenedDimension(CellRange& range) const {
        const CellRange before = range;
        range.firstColumn = std::min(range.firstColumn, m_added.firstColumn());
        range.firstRow = std::min(range.firstRow, m_firstRow);
        range.lastColumn = std::max(range.lastColumn, m_lastColumn);
        range.lastRow = std::max(range.lastRow, m_lastRow);
        return rangeText(range) != rangeText(before);
    }
    // <autoFilter ref="A3:G43">: a filter that ends just before the new columns, or among them,
    // takes them, so that sorting with it moves them with their rows.
    bool grownFilter(CellRange& range) const {
        if (range.lastColumn < m_added.firstColumn() - 1 || range.lastColumn >= m_lastColumn)
            return false;
        range.lastColumn = m_lastColumn;
        return true;
    }

    // The new columns shown, as wide as their texts: a <col> of their own where none sets
    // them, and a hidden range (as offices hide the columns after the data) split around them.
    std::vector<Edit> columnEdits() const {
        std::vector<Edit> edits;
        QByteArray atTheEnd; // the <col>s after every one the sheet has
        const auto& tags = m_layout.columnTags;
        for (int k = 0; k < m_added.columns(); ++k) {
            const int column = m_added.firstColumn() + k;
            if (m_widths[std::size_t(k)] == 0)
                continue;
            const auto covering = std::find_if(tags.begin(), tags.end(), [&](const auto& c) {
                return c.min != 0 && c.min <= column && column <= c.max;
            });
            if (covering != tags.end()) {
                if (covering->hidden && column == std::max(covering->min, m_added.firstColumn()))
                    edits.push_back(split(*covering));
                continue;
            }
            const QByteArray made = '<' + m_layout.prefix + "col min=\"" +
                                    QByteArray::number(column) + "\" max=\"" +
                                    QByteArray::number(column) + "\" width=\"" +
                                    QByteArray::number(columnWidth(k)) + "\" customWidth=\"1\"/>";
            const auto next = std::find_if(tags.begin(), tags.end(),
                                           [&](const auto& c) { return c.min > column; });
            if (next != tags.end())
                edits.push_back({next->tag.from, next->tag.from, made});
            else
                atTheEnd += made;
        }
        if (atTheEnd.isEmpty())
            return edits;
        // <cols> comes just before <sheetData>.
        if (m_layout.columns.from >= 0)
            edits.push_back(atEnd(m_layout.columns, atTheEnd));
        else
            edits.push_back(
                {m_layout.rows.from, m_layout.rows.from,
                 '<' + m_layout.prefix + "cols>" + atTheEnd + "</" + m_layout.prefix + "cols>"});
        return edits;
    }
    // A hidden <col> range as pieces: the hidden ones around the new columns, and each new
    // column shown with its width (its other attributes, such as its style, kept).
    Edit split(const SheetLayout::Column& hidden) const {
        const int first = std::max(hidden.min, m_added.firstColumn());
        const int last = std::min(hidden.max, m_added.firstColumn() + m_added.columns() - 1);
        const QByteArrayView tag = bytes(hidden.tag.from, hidden.tag.to);
        const auto piece = [&](int min, int max, int width) {
            QByteArray made = withAttribute(withAttribute(tag, "min", QByteArray::number(min)),
                                            "max", QByteArray::number(max));
            if (width > 0)
                made = withAttribute(withAttribute(withAttribute(made, "hidden", {}), "width",
                                                   QByteArray::number(width)),
                                     "customWidth", "1");
            return made.endsWith("/>") ? made : made.chopped(1) + "/>";
        };
        QByteArray pieces = first > hidden.min ? piece(hidden.min, first - 1, 0) : QByteArray();
        for (int column = first; column <= last; ++column) {
            const int k = column - m_added.firstColumn();
            pieces += piece(column, column, m_widths[std::size_t(k)] > 0 ? columnWidth(k) : 0);
        }
        if (last < hidden.max)
            pieces += piece(last + 1, hidden.max, 0);
        return {hidden.tag.from, endOfElement(m_in, hidden.tag), pieces};
    }
    // The width of new column k: its widest text's, and room around it; at most Excel's 255.
    int columnWidth(int k) const { return std::min(m_widths[std::size_t(k)] + 2, 255); }

    const QByteArray& m_in;
    const SheetLayout& m_layout;
    const AddedColumns& m_added;
    QByteArrayList m_contents;     // each text's <t> element
    std::vector<int> m_textWidths; // each text's width
    std::vector<int> m_widths;     // of each new column's widest text; 0 for none
    QByteArray* m_out = nullptr;
    qsizetype m_copied = 0; // of m_in, into what was made
    Stage m_stage = Stage::Head;
    std::vector<Edit> m_edits; // outside the rows
    std::size_t m_nextEdit = 0;
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

std::optional<std::pair<CellRange, CellRange>> CellSplice::grownFilter() const {
    return m_adder->filterChange();
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

namespace zunova::workbook::sheetxml {

bool parseRange(QByteArrayView text, CellRange& range) {
    const qsizetype colon = text.indexOf(':');
    return parseCellReference(text.first(colon < 0 ? text.size() : colon), range.firstColumn,
                              range.firstRow) &&
           parseCellReference(text.sliced(colon + 1), range.lastColumn, range.lastRow);
}

QByteArray rangeText(const CellRange& range, bool absolute) {
    const auto cell = [absolute](int column, qint64 row) {
        return absolute ? '$' + columnName(column).toLatin1() + '$' + QByteArray::number(row)
                        : reference(column, row);
    };
    return cell(range.firstColumn, range.firstRow) + ':' + cell(range.lastColumn, range.lastRow);
}

std::optional<AttributeSpan> attributeIn(QByteArrayView tag, QByteArrayView name) {
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
        const qsizetype spaces = i;
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
            return AttributeSpan{spaces, i + 1, end};
        i = end + 1;
    }
}

QByteArray withAttribute(QByteArrayView tag, QByteArrayView name, const QByteArray& value) {
    QByteArray out = tag.toByteArray();
    if (const auto span = attributeIn(tag, name)) {
        if (value.isNull())
            out.remove(span->from, span->valueTo + 1 - span->from);
        else
            out.replace(span->valueFrom, span->valueTo - span->valueFrom, value);
        return out;
    }
    if (value.isNull())
        return out;
    qsizetype end = tag.size() - (tag.endsWith("/>") ? 2 : 1);
    while (end > 0 && isXmlSpace(tag[end - 1]))
        --end;
    return out.insert(end, ' ' + name.toByteArray() + "=\"" + value + '"');
}

QByteArray attributeText(QStringView text) {
    QByteArray out;
    appendEscaped(text, out);
    return out.replace('"', "&quot;");
}

} // namespace zunova::workbook::sheetxml
