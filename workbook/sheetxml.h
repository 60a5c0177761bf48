#pragma once

// The XML of a workbook's parts, below the package: what workbook.cpp reads values with and
// adds cells through. Bytes of one part in, text or bytes out.

#include "workbook.h"
#include "xmlevents.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <limits>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace zunova::workbook::sheetxml {

// The workbook's shared strings as UTF-8, one after another: cells of type "s" name them by
// index. Eight bytes an entry, not a QString's dozens: a sharedStrings part of empty items
// holds tens of millions.
class SharedStrings {
public:
    qsizetype size() const { return qsizetype(m_ends.size()); }
    QByteArrayView at(qsizetype index) const {
        const quint32 from = index == 0 ? 0 : m_ends[std::size_t(index - 1)];
        return QByteArrayView(m_text).sliced(from, m_ends[std::size_t(index)] - from);
    }
    void reserve(qsizetype bytes) { m_text.reserve(bytes); }
    void append(QByteArrayView text) {
        m_text += text;
        m_ends.push_back(quint32(m_text.size()));
    }

private:
    QByteArray m_text;
    std::vector<quint32> m_ends; // a part is under 4 GiB, and so is the text in it
};

// The shared strings part, read as it comes in pieces; `size`, what it says its size is.
list::Problem readSharedStrings(const XmlEvents::Pieces& xml, qsizetype size, SharedStrings& out);

// Which cell styles (indexes into styles.xml's cellXfs) show a number as a date or a time.
list::Problem readDateStyles(const QByteArray& xml, std::vector<bool>& out);

// Whether a number format shows dates or times: y, m, d, h or s outside quotes, escapes and
// brackets (but [h], [mm], [ss], elapsed time).
bool isDateFormat(QStringView code);

struct CellValues {
    const SharedStrings& sharedStrings;
    const std::vector<bool>& dateStyles;
    bool date1904 = false;
};

// A part's XML as UTF-8, which cells are read from and spliced into: UTF-16 and ISO-8859-1
// (and US-ASCII), the other encodings XML readers read, are converted, and the declaration then
// says UTF-8. XmlEncoding for any other encoding, Damaged for bytes not in the one named,
// PartTooLarge where the UTF-8 is over the part cap.
list::Problem toUtf8(QByteArray& xml);

// Where a sheet's rows lie in its XML, as reading it finds them: what adding cells needs, so
// the copy is spliced without reading the sheet a second time. Byte positions in the part, and
// row numbers, in 32 bits: a part is under the part cap, a sheet's rows under the row cap, and a
// sheet of millions of rows keeps a Row for each.
struct SheetLayout {
    struct Tag {
        qint32 from = -1;  // its '<'; -1 for none
        qint32 to = -1;    // after its '>'
        qint32 close = -1; // its end tag's '<'; -1 where the element is this one tag (<x/>)
    };
    struct Row {
        qint32 number = 0;
        Tag tag;
        qint32 lastColumn = 0; // of its cells, even empty ones
    };
    // A <col> of the first <cols>: the columns min to max take its width, its style, or are
    // hidden.
    struct Column {
        Tag tag;
        int min = 0; // 0 for one that names no columns
        int max = 0;
        bool hidden = false;
    };
    static_assert(list::kMaxPartBytes < std::numeric_limits<qint32>::max() &&
                  list::kMaxRows < std::numeric_limits<qint32>::max());
    bool utf8 = true;  // cells are spliced into UTF-8 only
    QByteArray prefix; // of the sheet's elements: "" or e.g. "x:"
    Tag dimension;
    Tag columns; // <cols>
    std::vector<Column> columnTags;
    Tag rows; // <sheetData>
    std::vector<Row> rowTags;
    Tag autoFilter; // the sheet's own filter, not a table's
};

// The sheet's cells, and where its rows lie. A problem names the row it lies in.
SheetCells readSheet(const QByteArray& xml, const CellValues& values, SheetLayout& layout);

// A range of cells, "A1:G41", or "A1" for one cell.
struct CellRange {
    int firstColumn = 0;
    qint64 firstRow = 0;
    int lastColumn = 0;
    qint64 lastRow = 0;
};
bool parseRange(QByteArrayView text, CellRange& range);
// Always with its colon: "A1:A1"; absolute, "$A$1:$A$1".
QByteArray rangeText(const CellRange& range, bool absolute = false);

// The sheet's XML with `added`'s cells spliced into it, where `layout` (of this XML) says, made
// piece by piece as it is read: never held whole beside the sheet it is made from.
class CellSplice {
public:
    CellSplice(const QByteArray& xml, const SheetLayout& layout, const AddedColumns& added);
    ~CellSplice();
    CellSplice(const CellSplice&) = delete;
    CellSplice& operator=(const CellSplice&) = delete;

    // Whether the cells can be added: NoRoom where they would stand on cells of their row or
    // past column XFD, TooManyRows, Damaged where the sheet is not UTF-8 or has no rows.
    list::Problem check();
    // The next bytes of the new sheet, at most `size`; 0 at its end. After check().
    qsizetype read(char* out, qsizetype size);
    // The range of the sheet's filter, where it grows to take the new columns. After check().
    std::optional<std::pair<CellRange, CellRange>> grownFilter() const;

private:
    class Adder;
    std::unique_ptr<Adder> m_adder;
    QByteArray m_made; // the piece made last
    qsizetype m_at = 0;
};

// The same, all of it at once.
list::Problem addCells(const QByteArray& xml, const SheetLayout& layout, const AddedColumns& added,
                       QByteArray& out);

// "B12": column 2, row 12. False for anything else, or a column past XFD.
bool parseCellReference(QByteArrayView reference, int& column, qint64& row);

// Where an attribute lies in a start tag's bytes, from its '<' to its '>': from the spaces
// before its name, and its value within the quotes.
struct AttributeSpan {
    qsizetype from = -1;
    qsizetype valueFrom = -1;
    qsizetype valueTo = -1;
};
std::optional<AttributeSpan> attributeIn(QByteArrayView tag, QByteArrayView name);
// The tag with the attribute's value replaced, or the attribute added before the tag's end;
// removed for a null value. `value` is written as it is: escaped already.
QByteArray withAttribute(QByteArrayView tag, QByteArrayView name, const QByteArray& value);
// Text as an attribute's value, escaped.
QByteArray attributeText(QStringView text);

// Bytes from..to of a part that give way to `text`.
struct Edit {
    qsizetype from = 0;
    qsizetype to = 0;
    QByteArray text;
};

// A table of the sheet (its part's XML) grown to take `added`'s columns: where its header row
// is `added`'s and it ends just before them or among them, its range and its filter's reach the
// last new column named in the header row, and it gets a column for each, under that name.
// False where it stays as it is: it ends elsewhere, it is of a query or has no header row, a
// name is taken, or it does not read.
bool growTable(const QByteArray& xml, const AddedColumns& added, QByteArray& out);

// The workbook part with the sheet's filter range, the hidden name _xlnm._FilterDatabase
// (which LibreOffice takes the filter's range from), grown from `before` to `after`. False where
// it stays as it is: no such name for the sheet, or one of another range.
bool growFilterName(const QByteArray& xml, const QString& sheet, const CellRange& before,
                    const CellRange& after, QByteArray& out);

} // namespace zunova::workbook::sheetxml
