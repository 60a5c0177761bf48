#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace zunova::list {

// Limits that keep memory and time bounded whatever a workbook holds. A part of the package is
// refused once more than this has come out of its decompression, whatever its zip directory
// says; the same holds for a sheet as text. As the window caps text lists.
inline constexpr qint64 kMaxWorkbookPartBytes = 256 * 1024 * 1024;
// A sheet of more rows than this is refused, as the window refuses a list of more.
inline constexpr qint64 kMaxSheetRows = 10'000'000;
// A sheet's columns, A to XFD, as spreadsheet programs have them.
inline constexpr int kMaxSheetColumns = 16384;

// Why a workbook cannot be read or written; the caller says it in words.
enum class WorkbookProblem {
    None,
    NotZip,       // not a zip at all: no Office Open XML workbook
    NotWorkbook,  // a zip, or an OLE compound file, that holds no workbook
    Encrypted,    // protected by a password
    Binary,       // a binary workbook (.xls, .xlsb): to be saved as .xlsx or CSV first
    NoSheet,      // no worksheet, or none of the number asked for
    PartTooLarge, // a part, or the sheet as text, over kMaxWorkbookPartBytes
    TooManyRows,  // a sheet of more rows than kMaxSheetRows
    Damaged,      // a part missing, its XML broken, a cell outside the sheet
    NoRoom,       // the new cells would stand on cells of their row, or past column XFD
    CannotWrite,  // the copy could not be made, or the device refused it
    Unavailable,  // the module that reads workbooks cannot be loaded
};

// A worksheet, as the workbook lists its tabs. Chart sheets hold no cells and are left out.
struct Sheet {
    QString name;
    bool hidden = false; // hidden or very hidden: not shown as a tab
    QString part;        // its XML in the package, e.g. "xl/worksheets/sheet1.xml"
};

// A sheet as a text list: line N is sheet row N, from row 1 to the last row (a "\n" after each);
// a row's cells stand in their columns, separated by tabs (an empty cell is an empty field),
// each quoted as RFC 4180 does where it holds a tab, a quote, CR or LF; UTF-8.
struct SheetText {
    WorkbookProblem problem = WorkbookProblem::None;
    QByteArray text;
    qint64 rows = 0;    // the last row's number: the text's lines
    int lastColumn = 0; // the highest column a cell, even an empty one, or a merged range reaches
};

// Columns to add to a sheet. Cells go at the end of their rows, so the first new column lies
// beyond every cell of the rows that get one: normally SheetText::lastColumn + 1.
struct AddedColumns {
    int sheet = 0;       // index into Workbook::sheets()
    int firstColumn = 1; // from 1, column A
    // rows[N - 1]: the texts of sheet row N's new cells, from firstColumn on. An empty text, and
    // a row past the end, get no cell.
    std::vector<QStringList> rows;
};

// An Office Open XML workbook (.xlsx, .xlsm) held in memory. Its sheets are read as text for
// the list pipeline, and a copy is written with columns added to one sheet, every other part of
// the package copied through unchanged.
//
// The code that reads and writes workbooks, and the zip library it needs, live in a module
// (workbook.so beside the window's) loaded the first time a workbook is opened: linked into the
// program, they would be loaded at every start of the command line and the window, which
// tools/bench-cli.sh and tools/bench.sh hold within 1.15 and 1.10 times their floors.
class Workbook {
public:
    struct Opened;
    // Reads the package's structure: the workbook, its worksheets. `data` is kept, shared.
    // Problem::Unavailable where the module cannot be loaded.
    static Opened open(const QByteArray& data);

    virtual ~Workbook() = default;

    // The worksheets, in the workbook's order.
    virtual const std::vector<Sheet>& sheets() const = 0;

    // The sheet at `index` as text, with each cell's value as the spreadsheet shows it where
    // that matters to a list: a whole number stored as a number as its digits; a formula as
    // its last computed value; dates, times and booleans as texts that are not numbers
    // (2024-01-05, 13:45:00, TRUE). A merged range's value is in its top-left cell only.
    virtual SheetText text(int index) const = 0;

    // A copy of the package with `added`'s cells in the sheet. Only that sheet's XML changes,
    // and in it only the new cells (inline strings), the rows made or opened for them, the
    // rows' spans and the sheet's dimension; every other byte stays as it was.
    virtual WorkbookProblem write(const AddedColumns& added, QByteArray& out) const = 0;
    WorkbookProblem write(const AddedColumns& added, QIODevice& out) const;
};

struct Workbook::Opened {
    std::unique_ptr<Workbook> workbook;
    WorkbookProblem problem = WorkbookProblem::None;
};

// The module's one entry point, as it exports it: opens `*data` into `*opened`.
extern "C" void zunova_open_workbook(const QByteArray* data, Workbook::Opened* opened);
using OpenWorkbook = void (*)(const QByteArray* data, Workbook::Opened* opened);
inline constexpr const char* kOpenWorkbookSymbol = "zunova_open_workbook";

// A column's letters: "A" for 1, "XFD" for 16384.
QString columnName(int column);

} // namespace zunova::list
