#pragma once

#include "list/cells.h"
#include "list/problem.h"

#include <QByteArray>
#include <QHash>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <vector>

namespace zunova::workbook {

// A sheet's columns, A to XFD, as spreadsheet programs have them.
inline constexpr int kMaxSheetColumns = 16384;

// A worksheet, as the workbook lists its tabs. Chart sheets hold no cells and are left out.
struct Sheet {
    QString name;
    bool hidden = false; // hidden or very hidden: not shown as a tab
    QString part;        // its XML in the package, e.g. "xl/worksheets/sheet1.xml"
};

// A sheet's rows as cells: each cell's value as the spreadsheet shows it where that matters to
// a list (a whole number stored as a number as its digits; a formula as its last computed value;
// dates, times and booleans as texts that are not numbers: 2024-01-05, 13:45:00, TRUE), in its
// column, as UTF-8. A row's cells run from column A to its last cell with a value; a merged
// range's value is in its top-left cell only.
struct SheetCells {
    list::Outcome outcome;
    QByteArray bytes;                  // every cell's bytes, one after another
    std::vector<quint32> ends;         // where each cell ends in `bytes`
    std::vector<quint32> rowStarts{0}; // row N's cells are ends[rowStarts[N - 1]] on
    // The highest column a cell, even an empty one, or a merged range reaches.
    int lastColumn = 0;
    // The ranges merged over more than one row: the value stands in the first row.
    struct Merge {
        qint64 firstRow = 0;
        qint64 lastRow = 0;
        int firstColumn = 0; // from 1
        int lastColumn = 0;
    };
    std::vector<Merge> merges;

    // From row 1 to the last row.
    qint64 rows() const { return qint64(rowStarts.size()) - 1; }
    // The cells of row `number`, from 1.
    list::CellsView row(qint64 number) const {
        const quint32 first = rowStarts[std::size_t(number - 1)];
        const quint32 end = rowStarts[std::size_t(number)];
        return {bytes.constData(), std::span(ends).subspan(first, end - first),
                first == 0 ? 0 : ends[first - 1]};
    }
};

// Columns to add to a sheet: each row's new cells, as indexes into the few texts they hold
// (carriers and notes come back row after row). Cells go at the end of their rows, so the first
// new column lies beyond every cell of the rows that get one: normally SheetCells::lastColumn + 1.
// Or, replacing, they are written into existing columns: every cell the sheet has there, in
// every row, gives way to its row's new text, or loses its value where the row has none (its
// style stays).
class AddedColumns {
public:
    AddedColumns(int sheet, int firstColumn, int columns)
        : m_sheet(sheet)
        , m_firstColumn(firstColumn)
        , m_columns(columns) {}
    // Columns of the texts a row, from row 1 on.
    static AddedColumns of(int sheet, int firstColumn, const std::vector<QStringList>& rows) {
        int columns = 0;
        for (const QStringList& texts : rows)
            columns = std::max(columns, int(texts.size()));
        AddedColumns added(sheet, firstColumn, columns);
        for (std::size_t row = 0; row < rows.size(); ++row)
            for (qsizetype column = 0; column < rows[row].size(); ++column)
                added.set(qint64(row) + 1, int(column), added.indexOf(rows[row][column]));
        return added;
    }

    int sheet() const { return m_sheet; }             // index into Workbook::sheets()
    int firstColumn() const { return m_firstColumn; } // from 1, column A
    int columns() const { return m_columns; }
    // The row of the columns' names, from 1; 0 for none. Its new cells take the style of the
    // header cell to their left, and tables whose header row it is take the new columns.
    qint64 headerRow() const { return m_headerRow; }
    void setHeaderRow(qint64 row) { m_headerRow = row; }
    // Whether the columns are the sheet's own, written again.
    bool replaces() const { return m_replaces; }
    void setReplaces(bool replaces) { m_replaces = replaces; }
    // The texts the cells hold; 0 is the empty text, which makes no cell.
    const QStringList& texts() const { return m_texts; }
    // A text's index, added where it is new.
    quint32 indexOf(const QString& text) {
        const auto known = m_indexes.constFind(text);
        if (known != m_indexes.constEnd())
            return *known;
        m_texts.append(text);
        return m_indexes[text] = quint32(m_texts.size() - 1);
    }
    // Rows from 1 that have cells: past the last, none have.
    qint64 rows() const { return m_columns > 0 ? qint64(m_cells.size()) / m_columns : 0; }
    // The text of row `row` (from 1) in new column `column` (from 0).
    quint32 at(qint64 row, int column) const {
        const std::size_t cell = std::size_t((row - 1) * m_columns + column);
        return cell < m_cells.size() ? m_cells[cell] : 0;
    }
    void set(qint64 row, int column, quint32 text) {
        const std::size_t cell = std::size_t((row - 1) * m_columns + column);
        if (cell >= m_cells.size())
            m_cells.resize(std::size_t(row * m_columns), 0);
        m_cells[cell] = text;
    }
    void reserve(qint64 rows) { m_cells.reserve(std::size_t(rows * m_columns)); }

private:
    int m_sheet;
    int m_firstColumn;
    int m_columns;
    qint64 m_headerRow = 0;
    bool m_replaces = false;
    QStringList m_texts{QString()};
    QHash<QString, quint32> m_indexes{{QString(), 0}};
    std::vector<quint32> m_cells; // row after row, each its `m_columns` cells
};

// An Office Open XML workbook (.xlsx, .xlsm) held in memory. Its sheets are read as cells for
// the list pipeline, and a copy is written with columns added to one sheet, every other part of
// the package copied through unchanged.
//
// The code that reads and writes workbooks, and the zip and XML libraries it needs, live in a
// module (workbook.so beside the window's) loaded the first time a workbook is opened: linked
// into the program, they would be loaded at every start of the command line and the window
// (tools/bench-cli.sh, tools/bench.sh).
class Workbook {
public:
    struct Opened;
    // Reads the package's structure: the workbook, its worksheets. `data` is kept, shared.
    // Problem::ModuleUnavailable, with the reason, where the module cannot be loaded.
    static Opened open(const QByteArray& data);

    virtual ~Workbook() = default;

    // The worksheets, in the workbook's order.
    virtual const std::vector<Sheet>& sheets() const = 0;

    // The sheet at `index` as cells.
    virtual SheetCells cells(int index) const = 0;

    // A copy of the package with `added`'s cells in the sheet. Only that sheet's XML changes,
    // and in it only the new cells (inline strings), the cells they replace, the rows made or
    // opened for them, the rows' spans, the sheet's dimension, its filter and the <col> widths
    // of the new columns; and the tables of the sheet that end just before the new columns,
    // which take them. Every other byte stays as it was (but a sheet in UTF-16 or ISO-8859-1,
    // which is written in UTF-8).
    // It is written to `out` only once it is made whole.
    virtual list::Outcome write(const AddedColumns& added, QIODevice& out) const = 0;
};

struct Workbook::Opened {
    std::unique_ptr<Workbook> workbook;
    list::Outcome outcome;
};

// The module's one entry point, as it exports it: opens `*data` into `*opened`.
extern "C" void zunova_open_workbook(const QByteArray* data, Workbook::Opened* opened);
using OpenWorkbook = void (*)(const QByteArray* data, Workbook::Opened* opened);
inline constexpr const char* kOpenWorkbookSymbol = "zunova_open_workbook";

// A column's letters: "A" for 1, "XFD" for 16384.
QString columnName(int column);

} // namespace zunova::workbook
