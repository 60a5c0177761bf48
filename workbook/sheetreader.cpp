// Reading a worksheet's cells: the values as the spreadsheet shows them where a list needs them,
// each in its row and column.
#include "sheetxml.h"
#include "xmlevents.h"

#include <QBuffer>
#include <QDate>
#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <optional>

namespace zunova::workbook::sheetxml {
namespace {

using list::Problem;

bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Spreadsheet programs write a character XML cannot hold, such as CR, as _xHHHH_, and an
// underscore that would read as the start of one as _x005F_.
QString unescaped(const QString& text) {
    qsizetype at = text.indexOf(u"_x");
    if (at < 0)
        return text;
    QString out;
    qsizetype from = 0;
    for (; at >= 0; at = text.indexOf(u"_x", from)) {
        const bool escape = at + 7 <= text.size() && text[at + 6] == u'_' &&
                            std::all_of(text.begin() + at + 2, text.begin() + at + 6, isHexDigit);
        out += QStringView(text).sliced(from, at - from);
        if (escape) {
            out += QChar(char16_t(QStringView(text).sliced(at + 2, 4).toUInt(nullptr, 16)));
            from = at + 7;
        } else {
            out += u"_x";
            from = at + 2;
        }
    }
    out += QStringView(text).sliced(from);
    return out;
}

// A cell's text as UTF-8, its _xHHHH_ escapes replaced.
void appendUnescaped(QByteArrayView text, QByteArray& out) {
    if (text.contains("_x"))
        out += unescaped(QString::fromUtf8(text)).toUtf8();
    else
        out += text;
}

// The text of a shared string <si> or an inline string <is>, from the elements in it: its
// <t>, or the <t> of each rich-text run. Phonetic runs (<rPh>) are readings shown above the
// text, not part of it.
class RichText {
public:
    void clear() {
        m_text.resize(0);
        m_inText = false;
    }
    // An element in the string has started; false where it is none of the text, to be skipped.
    bool start(QByteArrayView name) {
        if (m_inText)
            return false;
        m_inText = name == "t";
        return m_inText || name == "r";
    }
    void end() { m_inText = false; }
    void characters(QByteArrayView text) {
        if (m_inText)
            m_text += text;
    }
    QByteArrayView text() const { return m_text; }

private:
    QByteArray m_text;
    bool m_inText = false;
};

// Number formats built in by id that show dates or times: 14-22 and 45-47 everywhere, 27-36
// and 50-58 in Japanese (and other East Asian) installations, where they are the era and
// 年月日 formats.
bool isBuiltInDateFormat(int id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
           (id >= 50 && id <= 58);
}

// 2^53: beyond it not every whole number has a double of its own.
constexpr double kExactWholeNumbers = 9007199254740992.0;

// A number as written, but a whole number as its digits: 9.012345678E9 and 9012345678.0 are
// 9012345678, which the list reads as a number with its leading zero dropped.
void appendNumber(QByteArrayView written, QByteArray& out) {
    bool ok = false;
    const double value = written.trimmed().toDouble(&ok);
    if (ok && value == std::trunc(value) && std::fabs(value) < kExactWholeNumbers)
        out += QByteArray::number(qint64(value));
    else
        out += written;
}

// The day after 9999-12-31: spreadsheet programs show no date from there on.
constexpr double kLastSerial = 2958466;

// A date-formatted number as ISO text: the date, the time of day where it has one, and the
// time alone for a number under 1. False where it is no date.
bool appendDate(QByteArrayView written, bool date1904, QByteArray& out) {
    bool ok = false;
    const double serial = written.trimmed().toDouble(&ok);
    if (!ok || !(serial >= 0 && serial < kLastSerial))
        return false;
    qint64 days = qint64(serial);
    qint64 seconds = std::llround((serial - double(days)) * 86400);
    if (seconds == 86400) {
        ++days;
        seconds = 0;
    }
    QByteArray text;
    if (days > 0) {
        // Day 60 of 1900 is the 29 February that Lotus 1-2-3 counted and every spreadsheet
        // program since keeps.
        if (!date1904 && days == 60)
            text = "1900-02-29";
        else if (date1904)
            text = QDate(1904, 1, 1).addDays(days).toString(Qt::ISODate).toLatin1();
        else
            text =
                QDate(1899, 12, days < 60 ? 31 : 30).addDays(days).toString(Qt::ISODate).toLatin1();
    }
    if (days == 0 || seconds != 0) {
        if (!text.isEmpty())
            text += ' ';
        text += QString::asprintf("%02d:%02d:%02d", int(seconds / 3600), int(seconds / 60 % 60),
                                  int(seconds % 60))
                    .toLatin1();
    }
    out += text;
    return true;
}

// What a cell's t attribute says it holds.
enum class CellType { Number, SharedString, InlineString, FormulaText, Boolean, AsWritten };

CellType cellType(QByteArrayView type) {
    if (type.isEmpty() || type == "n")
        return CellType::Number;
    if (type == "s")
        return CellType::SharedString;
    if (type == "inlineStr")
        return CellType::InlineString;
    if (type == "str") // a formula's text
        return CellType::FormulaText;
    if (type == "b")
        return CellType::Boolean;
    return CellType::AsWritten; // an error (#N/A), an ISO date (type "d")
}

// The worksheet <worksheet><sheetData><row><c><v> or <is>, its merged ranges in <mergeCells>;
// the rest is skipped.
class SheetReader final : public XmlEvents {
public:
    SheetReader(const CellValues& values, SheetLayout& layout)
        : m_values(values)
        , m_layout(layout) {}

    SheetCells read(const QByteArray& xml) {
        m_layout = {};
        // Room for the cells at once, as the sheet's size bounds them (a cell's tag is longer than
        // its end, and than its value unless that is a shared string), and for the rows (each
        // tag at least <row/>, and no more than the row cap): taken as it is used, and never
        // copied as it grows.
        m_result.bytes.reserve(std::min(xml.size(), qsizetype(list::kMaxPartBytes)));
        m_result.ends.reserve(std::size_t(xml.size() / 8));
        const auto rows = std::size_t(std::min<qint64>(xml.size() / 6, list::kMaxRows));
        m_layout.rowTags.reserve(rows);
        m_result.rowStarts.reserve(rows + 1);
        if (const Problem problem = parse(xml); problem != Problem::None) {
            m_layout = {};
            SheetCells failed;
            failed.outcome = {.problem = problem, .line = m_row};
            return failed;
        }
        m_layout.utf8 = isUtf8();
        return std::move(m_result);
    }

private:
    enum class Part { Other, Columns, Rows, Merges };

    SheetLayout::Tag tag() const {
        return {qint32(tagFrom()), qint32(tagFrom() + tagLength()), -1};
    }
    // Where the element ending closes: its end tag, or none for an element of one tag.
    qint32 closeOfEnd() const { return tagLength() == 0 ? -1 : qint32(tagFrom()); }

    void startElement(QByteArrayView name, const char** attributes) override {
        const QByteArrayView local = localName(name);
        switch (depth()) {
        case 1:
            if (local != "worksheet")
                stop(Problem::Damaged);
            return;
        case 2:
            if (local == "sheetData") {
                m_part = Part::Rows;
                m_layout.rows = tag();
                m_layout.prefix = name.first(name.size() - local.size()).toByteArray();
            } else if (local == "mergeCells") {
                m_part = Part::Merges;
            } else if (local == "cols" && m_layout.columns.from < 0) {
                m_part = Part::Columns;
                m_layout.columns = tag();
            } else {
                if (local == "dimension")
                    m_layout.dimension = tag();
                else if (local == "autoFilter")
                    m_layout.autoFilter = tag();
                skipElement();
            }
            return;
        case 3:
            if (m_part == Part::Rows && local == "row")
                startRow(attributes);
            else if (m_part == Part::Merges && local == "mergeCell")
                mergeCell(attributes);
            else if (m_part == Part::Columns && local == "col")
                column(attributes);
            skipElementUnless((m_part == Part::Rows && local == "row") ||
                              (m_part == Part::Columns && local == "col"));
            return;
        case 4:
            if (m_part == Part::Rows && local == "c")
                startCell(attributes);
            else
                skipElement();
            return;
        case 5: // in a cell: its value, its inline string; not its formula <f>, extensions
            if (local == "v")
                m_inValue = true;
            else if (local == "is")
                m_inInline = m_hasInline = true;
            else
                skipElement();
            return;
        default: // in the value or the inline string
            skipElementUnless(m_inInline && m_inlineText.start(local));
        }
    }

    void skipElementUnless(bool read) {
        if (!read)
            skipElement();
    }

    void endElement(QByteArrayView) override {
        switch (depth()) {
        case 2:
            if (m_part == Part::Rows)
                m_layout.rows.close = closeOfEnd();
            else if (m_part == Part::Columns)
                m_layout.columns.close = closeOfEnd();
            m_part = Part::Other;
            return;
        case 3:
            if (m_part == Part::Columns) {
                m_layout.columnTags.back().tag.close = closeOfEnd();
                return;
            }
            m_layout.rowTags.back().tag.close = closeOfEnd();
            m_result.rowStarts.push_back(quint32(m_result.ends.size()));
            return;
        case 4:
            endCell();
            return;
        case 5:
            m_inValue = m_inInline = false;
            return;
        default:
            m_inlineText.end();
        }
    }

    void characters(QByteArrayView text) override {
        if (m_inValue)
            m_value += text;
        else if (m_inInline)
            m_inlineText.characters(text);
    }

    void startRow(const char** attributes) {
        // Rows come in order; one without its number follows the one before.
        const qint64 last = m_result.rows();
        m_row = last + 1;
        if (const QByteArrayView r = attribute(attributes, "r"); !r.isEmpty()) {
            bool ok = false;
            m_row = r.toLongLong(&ok);
            if (!ok || m_row <= last) {
                m_row = last;
                return stop(Problem::Damaged);
            }
        }
        if (m_row > list::kMaxRows)
            return stop(Problem::TooManyRows);
        // The rows the sheet leaves out have no cells.
        m_result.rowStarts.insert(m_result.rowStarts.end(), std::size_t(m_row - 1 - last),
                                  quint32(m_result.ends.size()));
        m_layout.rowTags.push_back({qint32(m_row), tag(), 0});
        m_column = 0;
        m_cells = 0;
    }

    void startCell(const char** attributes) {
        int column = m_column + 1;
        if (const QByteArrayView r = attribute(attributes, "r"); !r.isEmpty()) {
            qint64 rowOfCell = 0;
            if (!parseCellReference(r, column, rowOfCell) || column <= m_column)
                return stop(Problem::Damaged);
        }
        if (column > kMaxSheetColumns)
            return stop(Problem::Damaged);
        m_column = column;
        m_result.lastColumn = std::max(m_result.lastColumn, column);
        m_layout.rowTags.back().lastColumn = column;
        m_type = cellType(attribute(attributes, "t"));
        m_style = attribute(attributes, "s").toInt();
        m_value.resize(0);
        m_inlineText.clear();
        m_hasInline = false;
    }

    void endCell() {
        m_field.resize(0);
        if (!readCell())
            return stop(Problem::Damaged);
        if (m_field.isEmpty())
            return;
        // The cells held, each with its end, stay within what a part may hold.
        SheetCells& cells = m_result;
        if (cells.bytes.size() + m_field.size() +
                qint64(sizeof(quint32)) * qint64(cells.ends.size() + std::size_t(m_column)) >
            list::kMaxPartBytes)
            return stop(Problem::PartTooLarge);
        // The empty cells before it, then it.
        cells.ends.insert(cells.ends.end(), std::size_t(m_column - 1 - m_cells),
                          quint32(cells.bytes.size()));
        cells.bytes += m_field;
        cells.ends.push_back(quint32(cells.bytes.size()));
        m_cells = m_column;
    }

    // The value of the cell just read into m_field; nothing for none.
    bool readCell() {
        if (!m_hasInline && m_value.isEmpty()) // a styled cell, a formula never computed
            return true;
        switch (m_hasInline ? CellType::InlineString : m_type) {
        case CellType::InlineString:
            appendUnescaped(m_inlineText.text(), m_field);
            return true;
        case CellType::SharedString: {
            bool ok = false;
            const qint64 index = m_value.trimmed().toLongLong(&ok);
            if (!ok || index < 0 || index >= m_values.sharedStrings.size())
                return false;
            m_field += m_values.sharedStrings.at(index);
            return true;
        }
        case CellType::FormulaText:
            appendUnescaped(m_value, m_field);
            return true;
        case CellType::Boolean:
            m_field = m_value == "1" ? "TRUE" : m_value == "0" ? "FALSE" : m_value;
            return true;
        case CellType::Number: {
            const bool date = m_style >= 0 && std::size_t(m_style) < m_values.dateStyles.size() &&
                              m_values.dateStyles[std::size_t(m_style)];
            if (!date || !appendDate(m_value, m_values.date1904, m_field))
                appendNumber(m_value, m_field);
            return true;
        }
        case CellType::AsWritten:
            m_field = m_value;
            return true;
        }
        return false;
    }

    // Where a column's width and visibility are set, which the copy's new columns may need.
    void column(const char** attributes) {
        bool minOk = false, maxOk = false;
        const int min = attribute(attributes, "min").toInt(&minOk);
        const int max = attribute(attributes, "max").toInt(&maxOk);
        const QByteArrayView hidden = attribute(attributes, "hidden");
        // One without a range of columns is kept as none (0), so that its end finds it.
        const bool valid = minOk && maxOk && min >= 1 && min <= max;
        m_layout.columnTags.push_back(
            {tag(), valid ? min : 0, valid ? max : 0, hidden == "1" || hidden == "true"});
    }

    // A merged range's value stands in its top-left cell; the rest of it still takes room.
    void mergeCell(const char** attributes) {
        const QByteArrayView range = attribute(attributes, "ref");
        const qsizetype colon = range.indexOf(':');
        SheetCells::Merge merge;
        if (!parseCellReference(range.first(colon < 0 ? range.size() : colon), merge.firstColumn,
                                merge.firstRow) ||
            !parseCellReference(range.sliced(colon + 1), merge.lastColumn, merge.lastRow))
            return stop(Problem::Damaged);
        m_result.lastColumn = std::max(m_result.lastColumn, merge.lastColumn);
        if (merge.lastRow > merge.firstRow)
            m_result.merges.push_back(merge);
    }

    const CellValues& m_values;
    SheetLayout& m_layout;
    SheetCells m_result;
    Part m_part = Part::Other;
    qint64 m_row = 0; // the row being read
    int m_column = 0; // of the row's last cell so far
    int m_cells = 0;  // of the row held so far
    // The cell being read.
    CellType m_type = CellType::Number;
    int m_style = 0;
    bool m_inValue = false;
    QByteArray m_value;
    bool m_inInline = false;
    bool m_hasInline = false;
    RichText m_inlineText;
    QByteArray m_field;
};

// The shared strings <sst><si>, each a plain or rich text.
class SharedStringsReader final : public XmlEvents {
public:
    explicit SharedStringsReader(SharedStrings& out)
        : m_out(out) {}

private:
    void startElement(QByteArrayView name, const char**) override {
        const QByteArrayView local = localName(name);
        if (depth() == 1 && local != "sst")
            stop(Problem::Damaged);
        else if (depth() == 2 && local == "si")
            m_text.clear();
        else if (depth() > 1 && !(depth() > 2 && m_text.start(local)))
            skipElement();
    }
    void endElement(QByteArrayView) override {
        if (depth() == 2) {
            // Most have no escape, and are kept as they are: a string may be most of the part.
            if (!m_text.text().contains("_x"))
                return m_out.append(m_text.text());
            m_unescaped.resize(0);
            appendUnescaped(m_text.text(), m_unescaped);
            m_out.append(m_unescaped);
        } else if (depth() > 2) {
            m_text.end();
        }
    }
    void characters(QByteArrayView text) override { m_text.characters(text); }

    SharedStrings& m_out;
    RichText m_text;
    QByteArray m_unescaped;
};

// Where the XML declaration's encoding name lies in `xml`: from, to; nothing where it has
// none, or no declaration. The declaration is ASCII in every 8-bit encoding.
std::optional<std::pair<qsizetype, qsizetype>> declaredEncoding(QByteArrayView xml) {
    if (!xml.startsWith("<?xml"))
        return std::nullopt;
    const QByteArrayView declaration = xml.first(std::max<qsizetype>(xml.indexOf("?>"), 0));
    qsizetype at = declaration.indexOf("encoding");
    if (at < 0)
        return std::nullopt;
    const auto skipSpaces = [&](qsizetype i) {
        while (i < declaration.size() && QByteArrayView(" \t\r\n").contains(declaration[i]))
            ++i;
        return i;
    };
    at = skipSpaces(at + qsizetype(sizeof("encoding")) - 1);
    if (at >= declaration.size() || declaration[at] != '=')
        return std::nullopt;
    at = skipSpaces(at + 1);
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\''))
        return std::nullopt;
    const qsizetype end = declaration.indexOf(declaration[at], at + 1);
    return end < 0 ? std::nullopt : std::optional(std::pair(at + 1, end));
}

// What the XML is written in, as its byte-order mark or its declaration says: the encoding to
// convert it from, none for UTF-8 (or an encoding XML readers do not read, `known` false).
std::optional<QStringConverter::Encoding> encodingOfXml(QByteArrayView xml, bool& known,
                                                        bool& ascii) {
    known = true;
    ascii = false;
    if (xml.startsWith("\xFF\xFE") || xml.startsWith(QByteArrayView("<\0", 2)))
        return QStringConverter::Utf16LE;
    if (xml.startsWith("\xFE\xFF") || xml.startsWith(QByteArrayView("\0<", 2)))
        return QStringConverter::Utf16BE;
    const auto name = declaredEncoding(xml);
    if (!name)
        return std::nullopt;
    const QByteArray declared =
        xml.sliced(name->first, name->second - name->first).toByteArray().toUpper();
    ascii = declared == "US-ASCII";
    if (ascii || declared == "ISO-8859-1")
        return QStringConverter::Latin1;
    // UTF-16 named in a declaration of single bytes is an error the parser finds.
    known = declared == "UTF-8" || declared.startsWith("UTF-16");
    return std::nullopt;
}

} // namespace

list::Problem toUtf8(QByteArray& xml) {
    bool known = true;
    bool ascii = false;
    const auto encoding = encodingOfXml(xml, known, ascii);
    if (!known)
        return Problem::XmlEncoding;
    if (!encoding)
        return Problem::None;
    if (ascii && std::any_of(xml.begin(), xml.end(), [](char c) { return c & 0x80; }))
        return Problem::Damaged;
    // A piece at a time, so that only the UTF-8 is held beside the part; the encoder keeps a
    // character whose two halves fall in two pieces.
    QStringDecoder decoder(*encoding);
    QStringEncoder encoder(QStringConverter::Utf8);
    QByteArray out;
    constexpr qsizetype kPiece = 1024 * 1024;
    for (qsizetype at = 0; at < xml.size(); at += kPiece) {
        out += encoder.encode(
            decoder.decode(QByteArrayView(xml).sliced(at, std::min(kPiece, xml.size() - at))));
        if (out.size() > list::kMaxPartBytes)
            return Problem::PartTooLarge;
    }
    if (decoder.hasError() || encoder.hasError())
        return Problem::Damaged;
    if (const auto name = declaredEncoding(out))
        out.replace(name->first, name->second - name->first, "UTF-8");
    xml = std::move(out);
    return Problem::None;
}

bool parseCellReference(QByteArrayView reference, int& column, qint64& row) {
    const auto isLetter = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    };
    qsizetype i = 0;
    column = 0;
    for (; i < reference.size() && isLetter(reference[i]); ++i) {
        if (i == 3)
            return false;
        const char c = reference[i];
        column = column * 26 + (c >= 'a' ? c - 'a' : c - 'A') + 1;
    }
    bool ok = false;
    const QByteArrayView digits = reference.sliced(i);
    row = digits.isEmpty() || digits[0] < '0' || digits[0] > '9' ? 0 : digits.toLongLong(&ok);
    return ok && i > 0 && column <= kMaxSheetColumns && row > 0;
}

bool isDateFormat(QStringView code) {
    for (qsizetype i = 0; i < code.size(); ++i) {
        switch (code[i].unicode()) {
        case u'"': { // literal text
            const qsizetype end = code.indexOf(u'"', i + 1);
            if (end < 0)
                return false;
            i = end;
            break;
        }
        case u'\\': // an escaped character, the width of one, a fill character
        case u'_':
        case u'*':
            ++i;
            break;
        case u'[': { // a colour, a condition, a locale; or elapsed time
            const qsizetype end = code.indexOf(u']', i + 1);
            if (end < 0)
                return false;
            const QStringView inside = code.sliced(i + 1, end - i - 1);
            if (!inside.isEmpty() && std::all_of(inside.begin(), inside.end(), [](QChar c) {
                    return QStringView(u"hHmMsS").contains(c);
                }))
                return true;
            i = end;
            break;
        }
        default:
            if (QStringView(u"yYmMdDhHsS").contains(code[i]))
                return true;
        }
    }
    return false;
}

list::Problem readSharedStrings(const XmlEvents::Pieces& xml, qsizetype size, SharedStrings& out) {
    // Room for all the text at once, as the part's size bounds it: taken as it is used.
    out.reserve(std::min(size, qsizetype(list::kMaxPartBytes)));
    return SharedStringsReader(out).parse(xml);
}

list::Problem readDateStyles(const QByteArray& xml, std::vector<bool>& out) {
    // From a device the XML is decoded a piece at a time; given whole, it is held again,
    // decoded, at twice its size.
    QBuffer device;
    device.setData(xml);
    device.open(QIODevice::ReadOnly);
    QXmlStreamReader reader(&device);
    if (!reader.readNextStartElement() || reader.name() != u"styleSheet")
        return Problem::Damaged;
    QHash<int, bool> customFormats; // by id: whether it shows dates
    std::vector<int> formats;       // of each cell style
    while (reader.readNextStartElement()) {
        const bool customs = reader.name() == u"numFmts";
        if (!customs && reader.name() != u"cellXfs") {
            reader.skipCurrentElement();
            continue;
        }
        while (reader.readNextStartElement()) {
            const auto attributes = reader.attributes();
            const int id = attributes.value(QLatin1StringView("numFmtId")).toInt();
            if (customs && reader.name() == u"numFmt")
                customFormats.insert(
                    id, isDateFormat(attributes.value(QLatin1StringView("formatCode"))));
            else if (!customs && reader.name() == u"xf")
                formats.push_back(id);
            reader.skipCurrentElement();
        }
    }
    if (reader.hasError())
        return Problem::Damaged;
    out.clear();
    for (const int id : formats)
        out.push_back(customFormats.value(id, isBuiltInDateFormat(id)));
    return Problem::None;
}

SheetCells readSheet(const QByteArray& xml, const CellValues& values, SheetLayout& layout) {
    return SheetReader(values, layout).read(xml);
}

} // namespace zunova::workbook::sheetxml
