#pragma once

#include "list/cells.h"
#include "list/problem.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

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

// Columns to add to a sheet. Cells go at the end of their rows, so the first new column lies
// beyond every cell of the rows that get one: normally SheetCells::lastColumn + 1.
struct AddedColumns {
    int sheet = 0;       // index into Workbook::sheets()
    int firstColumn = 1; // from 1, column A
    // rows[N - 1]: the texts of sheet row N's new cells, from firstColumn on. An empty text, and
    // a row past the end, get no cell.
    std::vector<QStringList> rows;
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
    // and in it only the new cells (inline strings), the rows made or opened for them, the
    // rows' spans and the sheet's dimension; every other byte stays as it was.
    virtual list::Outcome write(const AddedColumns& added, QByteArray& out) const = 0;
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
