// Adding cells to a worksheet by splicing them into its XML: every byte not about the new cells
// stays as it was, where writing the XML out again would change quotes, spaces, prefixes and
// whatever a spreadsheet program does not expect to see changed.
#include "sheetxml.h"

#include <algorithm>

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

class CellAdder {
public:
    CellAdder(const QByteArray& xml, const SheetLayout& layout, const AddedColumns& added,
              QByteArray& out)
        : m_in(xml)
        , m_layout(layout)
        , m_added(added)
        , m_out(out) {}

    Problem run() {
        // The new cells are written in UTF-8, and only into a sheet that has rows.
        if (!m_layout.utf8 || m_layout.rows.from < 0)
            return Problem::Damaged;
        if (const Problem problem = measure(); problem != Problem::None)
            return problem;
        m_out.clear();
        m_out.reserve(m_in.size() + m_in.size() / 8);
        // The dimension comes before the rows in a sheet; it is widened where it lies.
        if (m_layout.dimension.from >= 0 && m_layout.dimension.from < m_layout.rows.from)
            widenDimension();
        qint64 nextRow = 1; // the first row not written yet
        for (const SheetLayout::Row& row : m_layout.rowTags) {
            if (const QByteArray before = newRows(nextRow, row.number); !before.isEmpty())
                splice(row.tag.from, row.tag.from, before);
            if (const QStringList* texts = textsOf(row.number)) {
                widenSpans(row.tag, *texts);
                insert(row.tag, cells(row.number, *texts));
            }
            nextRow = row.number + 1;
        }
        insert(m_layout.rows, newRows(nextRow, m_lastRow + 1));
        if (m_layout.dimension.from > m_layout.rows.from)
            widenDimension();
        m_out += QByteArrayView(m_in).sliced(m_copied);
        return Problem::None;
    }

private:
    // Which rows get cells, and the columns they reach; none on a cell of its row.
    Problem measure() {
        if (m_added.rows.size() > std::size_t(list::kMaxRows))
            return Problem::TooManyRows;
        if (m_added.firstColumn < 1)
            return Problem::NoRoom;
        for (std::size_t i = 0; i < m_added.rows.size(); ++i) {
            const int reach = lastColumnOf(m_added.rows[i]);
            if (reach == 0)
                continue;
            if (reach > kMaxSheetColumns)
                return Problem::NoRoom;
            m_lastColumn = std::max(m_lastColumn, reach);
            m_firstRow = m_firstRow ? m_firstRow : qint64(i) + 1;
            m_lastRow = qint64(i) + 1;
        }
        for (const SheetLayout::Row& row : m_layout.rowTags) {
            if (row.lastColumn >= m_added.firstColumn && textsOf(row.number))
                return Problem::NoRoom;
        }
        return Problem::None;
    }

    // The last column a row's texts reach, or 0 for none.
    int lastColumnOf(const QStringList& texts) const {
        for (qsizetype i = texts.size(); i > 0; --i) {
            if (!texts[i - 1].isEmpty())
                return m_added.firstColumn + int(i) - 1;
        }
        return 0;
    }

    const QStringList* textsOf(qint64 row) const {
        const auto index = std::size_t(row - 1);
        return index < m_added.rows.size() && lastColumnOf(m_added.rows[index]) > 0
                   ? &m_added.rows[index]
                   : nullptr;
    }

    QByteArrayView bytes(qsizetype from, qsizetype to) const {
        return QByteArrayView(m_in).sliced(from, to - from);
    }

    // Copies the sheet up to `from`, then `text`, and goes on from `to`.
    void splice(qsizetype from, qsizetype to, QByteArrayView text) {
        m_out += QByteArrayView(m_in).sliced(m_copied, from - m_copied);
        m_out += text;
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

    QByteArray cells(qint64 row, const QStringList& texts) const {
        const QByteArray& prefix = m_layout.prefix;
        QByteArray out;
        for (qsizetype i = 0; i < texts.size(); ++i) {
            const QString& text = texts[i];
            if (text.isEmpty())
                continue;
            out += '<' + prefix + "c r=\"" + reference(m_added.firstColumn + int(i), row) +
                   "\" t=\"inlineStr\"><" + prefix + "is><" + prefix + 't';
            if (text.front().isSpace() || text.back().isSpace())
                out += " xml:space=\"preserve\"";
            out += '>';
            appendEscaped(text, out);
            out += "</" + prefix + "t></" + prefix + "is></" + prefix + "c>";
        }
        return out;
    }
    // Rows from..to-1 that the sheet lacks but that get cells.
    QByteArray newRows(qint64 from, qint64 to) const {
        const QByteArray& prefix = m_layout.prefix;
        QByteArray out;
        for (qint64 row = std::max(from, m_firstRow); row < to && row <= m_lastRow; ++row) {
            if (const QStringList* texts = textsOf(row))
                out += '<' + prefix + "row r=\"" + QByteArray::number(row) + "\">" +
                       cells(row, *texts) + "</" + prefix + "row>";
        }
        return out;
    }

    // spans="1:3", the columns a row's cells take, a hint to readers: the new cells widen it.
    void widenSpans(const SheetLayout::Tag& rowTag, const QStringList& texts) {
        const auto value = attributeValue(bytes(rowTag.from, rowTag.to), "spans");
        if (!value)
            return;
        const Span span{rowTag.from + value->from, rowTag.from + value->to};
        const QByteArrayView spans = bytes(span.from, span.to);
        const qsizetype colon = spans.lastIndexOf(':');
        bool ok = false;
        const int last = colon < 0 ? 0 : spans.sliced(colon + 1).toInt(&ok);
        const int reach = lastColumnOf(texts);
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
            reference(std::min(firstColumn, m_added.firstColumn), std::min(firstRow, m_firstRow)) +
            ':' + reference(std::max(lastColumn, m_lastColumn), std::max(lastRow, m_lastRow));
        if (widened != range)
            splice(span.from, span.to, widened);
    }

    const QByteArray& m_in;
    const SheetLayout& m_layout;
    const AddedColumns& m_added;
    QByteArray& m_out;
    qsizetype m_copied = 0; // of m_in, into m_out
    // The new cells' extent: rows and last column with a text.
    qint64 m_firstRow = 0;
    qint64 m_lastRow = 0;
    int m_lastColumn = 0;
};

} // namespace

list::Problem addCells(const QByteArray& xml, const SheetLayout& layout, const AddedColumns& added,
                       QByteArray& out) {
    return CellAdder(xml, layout, added, out).run();
}

} // namespace zunova::workbook::sheetxml
