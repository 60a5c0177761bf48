// Adding cells to a worksheet by splicing them into its XML: every byte not about the new cells
// stays as it was, where writing the XML out again would change quotes, spaces, prefixes and
// whatever a spreadsheet program does not expect to see changed.
#include "sheetxml.h"

#include <QStringDecoder>
#include <QXmlStreamReader>

#include <algorithm>

namespace zunova::list::sheetxml {
namespace {

using Problem = WorkbookProblem;

// Maps the reader's positions, UTF-16 units of the text after any byte-order mark, to the
// bytes of the UTF-8 they were decoded from. Asked in increasing order, it walks the bytes once.
class Utf8Positions {
public:
    Utf8Positions(QByteArrayView bytes, qsizetype start)
        : m_bytes(bytes)
        , m_byte(start) {}

    qsizetype at(qint64 units) {
        while (m_units < units && m_byte < m_bytes.size()) {
            const auto lead = static_cast<unsigned char>(m_bytes[m_byte]);
            const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            m_units += length == 4 ? 2 : 1; // a surrogate pair
            m_byte += length;
        }
        return m_byte;
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_byte;
    qint64 m_units = 0;
};

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

class CellAdder {
public:
    CellAdder(const QByteArray& xml, const AddedColumns& added, QByteArray& out)
        : m_in(xml)
        , m_added(added)
        , m_out(out)
        , m_xml(xml)
        , m_positions(xml, xml.startsWith("\xEF\xBB\xBF") ? 3 : 0) {}

    Problem run() {
        // Only UTF-8 is spliced: the new cells are written in it.
        QStringDecoder utf8(QStringConverter::Utf8);
        utf8.decode(m_in);
        if (utf8.hasError())
            return Problem::Damaged;
        if (const Problem problem = measure(); problem != Problem::None)
            return problem;
        m_out.clear();
        m_out.reserve(m_in.size() + m_in.size() / 8);
        while (!m_xml.atEnd()) {
            Problem problem = Problem::None;
            switch (m_xml.readNext()) {
            case QXmlStreamReader::StartDocument:
                // The positions are counted in UTF-8, which workbooks are written in.
                if (!m_xml.documentEncoding().isEmpty() &&
                    m_xml.documentEncoding().compare(u"UTF-8", Qt::CaseInsensitive) != 0)
                    return Problem::Damaged;
                break;
            case QXmlStreamReader::DTD: // entities would put elements where the bytes have none
                return Problem::Damaged;
            case QXmlStreamReader::StartElement:
                problem = startElement(++m_depth);
                break;
            case QXmlStreamReader::EndElement:
                problem = endElement(m_depth--);
                break;
            default:
                break;
            }
            if (problem != Problem::None)
                return problem;
        }
        if (m_xml.hasError() || !m_sawRows)
            return Problem::Damaged;
        m_out += QByteArrayView(m_in).sliced(m_copied);
        return Problem::None;
    }

private:
    // Which rows get cells, and the columns they reach.
    Problem measure() {
        if (m_added.rows.size() > std::size_t(kMaxSheetRows))
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

    // The tag the reader has just read: from its '<' to just after its '>'.
    Span tag() {
        const qsizetype end = m_positions.at(m_xml.characterOffset());
        return {m_in.lastIndexOf('<', end - 1), end};
    }
    QByteArrayView bytes(Span span) const {
        return QByteArrayView(m_in).sliced(span.from, span.to - span.from);
    }
    bool selfClosing(Span span) const {
        return span.to - span.from >= 2 && m_in[span.to - 2] == '/';
    }

    // Copies the sheet up to `from`, then `text`, and goes on from `to`.
    void splice(qsizetype from, qsizetype to, QByteArrayView text) {
        m_out += QByteArrayView(m_in).sliced(m_copied, from - m_copied);
        m_out += text;
        m_copied = to;
    }
    // Puts `content` into the element whose tag is `start`: before its end tag, or into the
    // start tag itself where that closes it.
    void insert(Span start, const QByteArray& qualifiedName, const QByteArray& content) {
        if (content.isEmpty())
            return;
        if (selfClosing(start)) {
            splice(start.to - 2, start.to, '>' + content + "</" + qualifiedName + '>');
        } else {
            const qsizetype endTag = tag().from;
            splice(endTag, endTag, content);
        }
    }

    QByteArray cells(qint64 row, const QStringList& texts) const {
        QByteArray out;
        for (qsizetype i = 0; i < texts.size(); ++i) {
            const QString& text = texts[i];
            if (text.isEmpty())
                continue;
            out += '<' + m_prefix + "c r=\"" + reference(m_added.firstColumn + int(i), row) +
                   "\" t=\"inlineStr\"><" + m_prefix + "is><" + m_prefix + 't';
            if (text.front().isSpace() || text.back().isSpace())
                out += " xml:space=\"preserve\"";
            out += '>';
            appendEscaped(text, out);
            out += "</" + m_prefix + "t></" + m_prefix + "is></" + m_prefix + "c>";
        }
        return out;
    }
    // Rows from..to-1 that the sheet lacks but that get cells.
    QByteArray newRows(qint64 from, qint64 to) const {
        QByteArray out;
        for (qint64 row = std::max(from, m_firstRow); row < to && row <= m_lastRow; ++row) {
            if (const QStringList* texts = textsOf(row))
                out += '<' + m_prefix + "row r=\"" + QByteArray::number(row) + "\">" +
                       cells(row, *texts) + "</" + m_prefix + "row>";
        }
        return out;
    }

    Problem startElement(int depth) {
        const auto name = m_xml.name();
        if (depth == 2 && name == u"dimension")
            widenDimension();
        else if (depth == 2 && name == u"sheetData")
            return startRows();
        else if (depth == 3 && m_inRows && name == u"row")
            return startRow();
        else if (depth == 4 && m_row > 0 && name == u"c")
            return cell();
        return Problem::None;
    }
    Problem endElement(int depth) {
        if (depth == 3 && m_row > 0) {
            if (m_texts)
                insert(m_rowTag, m_rowName, cells(m_row, *m_texts));
            m_nextRow = m_row + 1;
            m_row = 0;
        } else if (depth == 2 && m_inRows) {
            insert(m_rowsTag, m_rowsName, newRows(m_nextRow, m_lastRow + 1));
            m_inRows = false;
        }
        return Problem::None;
    }

    Problem startRows() {
        m_inRows = true;
        m_sawRows = true;
        m_rowsTag = tag();
        m_rowsName = m_xml.qualifiedName().toUtf8();
        m_prefix = m_xml.prefix().isEmpty() ? QByteArray() : m_xml.prefix().toUtf8() + ':';
        return Problem::None;
    }

    Problem startRow() {
        qint64 row = m_nextRow;
        if (const auto r = m_xml.attributes().value(QLatin1StringView("r")); !r.isEmpty()) {
            bool ok = false;
            row = r.toLongLong(&ok);
            if (!ok || row < m_nextRow)
                return Problem::Damaged;
        }
        if (row > kMaxSheetRows)
            return Problem::TooManyRows;
        m_rowTag = tag();
        m_rowName = m_xml.qualifiedName().toUtf8();
        if (const QByteArray before = newRows(m_nextRow, row); !before.isEmpty())
            splice(m_rowTag.from, m_rowTag.from, before);
        m_row = row;
        m_column = 0;
        m_texts = textsOf(row);
        if (m_texts)
            widenSpans();
        return Problem::None;
    }

    Problem cell() {
        int column = m_column + 1;
        if (const auto r = m_xml.attributes().value(QLatin1StringView("r")); !r.isEmpty()) {
            qint64 row = 0;
            if (!parseCellReference(r, column, row))
                return Problem::Damaged;
        }
        m_column = column;
        return m_texts && column >= m_added.firstColumn ? Problem::NoRoom : Problem::None;
    }

    // spans="1:3", the columns a row's cells take, a hint to readers: the new cells widen it.
    void widenSpans() {
        const auto value = attributeValue(bytes(m_rowTag), "spans");
        if (!value)
            return;
        const Span span{m_rowTag.from + value->from, m_rowTag.from + value->to};
        const QByteArrayView spans = bytes(span);
        const qsizetype colon = spans.lastIndexOf(':');
        bool ok = false;
        const int last = colon < 0 ? 0 : spans.sliced(colon + 1).toInt(&ok);
        const int reach = lastColumnOf(*m_texts);
        if (ok && last < reach)
            splice(span.from + colon + 1, span.to, QByteArray::number(reach));
    }

    // <dimension ref="A1:C10"/>: the range the sheet's cells take, widened to the new ones.
    void widenDimension() {
        const Span element = tag();
        const auto value = attributeValue(bytes(element), "ref");
        if (!value || m_lastColumn == 0)
            return;
        const Span span{element.from + value->from, element.from + value->to};
        const QString range = QString::fromUtf8(bytes(span));
        const qsizetype colon = range.indexOf(u':');
        int firstColumn = 0, lastColumn = 0;
        qint64 firstRow = 0, lastRow = 0;
        if (!parseCellReference(QStringView(range).first(colon < 0 ? range.size() : colon),
                                firstColumn, firstRow) ||
            !parseCellReference(QStringView(range).sliced(colon + 1), lastColumn, lastRow))
            return;
        const QByteArray widened =
            reference(std::min(firstColumn, m_added.firstColumn), std::min(firstRow, m_firstRow)) +
            ':' + reference(std::max(lastColumn, m_lastColumn), std::max(lastRow, m_lastRow));
        if (widened != bytes(span))
            splice(span.from, span.to, widened);
    }

    const QByteArray& m_in;
    const AddedColumns& m_added;
    QByteArray& m_out;
    QXmlStreamReader m_xml;
    Utf8Positions m_positions;
    qsizetype m_copied = 0; // of m_in, into m_out
    int m_depth = 0;
    // The new cells' extent: rows and last column with a text.
    qint64 m_firstRow = 0;
    qint64 m_lastRow = 0;
    int m_lastColumn = 0;

    bool m_inRows = false; // in <sheetData>
    bool m_sawRows = false;
    Span m_rowsTag;
    QByteArray m_rowsName;
    QByteArray m_prefix;  // of the sheet's elements: "" or e.g. "x:"
    qint64 m_nextRow = 1; // the first row not written yet
    qint64 m_row = 0;     // the row being read, or 0
    Span m_rowTag;
    QByteArray m_rowName;
    int m_column = 0; // of the last cell read in the row
    const QStringList* m_texts = nullptr;
};

} // namespace

WorkbookProblem addCells(const QByteArray& xml, const AddedColumns& added, QByteArray& out) {
    return CellAdder(xml, added, out).run();
}

} // namespace zunova::list::sheetxml
