#pragma once

#include <QString>
#include <QtGlobal>

#include <atomic>

namespace zunova::list {

// The caps that keep memory and time bounded whatever a list holds; the problems name them.
// A row of a text list longer than this (a quote that never closes, a file without line ends)
// ends the reading.
inline constexpr qsizetype kMaxRowBytes = 16 * 1024 * 1024;
// A workbook's part, and a sheet's cells, are refused past this many bytes as they come out,
// whatever the zip's directory says.
inline constexpr qint64 kMaxPartBytes = 256 * 1024 * 1024;
// A list the window holds: larger ones are for the command line, which streams them.
inline constexpr qint64 kMaxHeldBytes = 256 * 1024 * 1024;
// Rows a list held, or a sheet, may have.
inline constexpr qint64 kMaxRows = 10'000'000;
// A workbook's parts (its zip's entries, and the relationships of one part), and its sheets:
// each costs a little memory and time, and no spreadsheet program makes so many.
inline constexpr qint64 kMaxParts = 100'000;
inline constexpr qint64 kMaxSheets = 10'000;
// The sheets' XML read in all, looking for the one with numbers: a part is read once, but a
// small package may hold many parts that each inflate to the part cap.
inline constexpr qint64 kMaxSheetBytesRead = 4 * kMaxPartBytes;

// Why a list was not read whole, or its copy not written: each has its text in messages.cpp,
// the same for every front.
enum class Problem {
    None,
    // The file.
    Unreadable, // the system refused to open, read or write it (Outcome::systemError)
    Folder,     // a folder, not a file
    NotAFile,   // a FIFO, a device or a socket, where only a file is read
    Changed,    // it changed while it was read
    TooLarge,   // more bytes than the window holds
    Cancelled,  // the user stopped the work
    // A text list's bytes.
    Empty,               // no row at all (nothing, or only blank lines)
    Binary,              // NUL or many control bytes, and no byte-order mark
    NotUtf16,            // a byte-order mark says UTF-16, but the data are not
    NotInEncoding,       // later data do not read in the encoding the list's start was read in
    EncodingUnavailable, // this system cannot convert the list's encoding (iconv lacks it)
    RowTooLong,          // a row longer than the row cap (Outcome::line, Outcome::lines)
    UnclosedQuote,       // a quote opened on Outcome::line never closes, and no rows were read
    // Its rows.
    HeaderOnly,      // one row alone, with no number in it: nothing to look up
    NoNumberColumn,  // no column holds a telephone number in any row read
    NoSuchColumn,    // the column asked for is in no row, or no header has its name
    TooManyRows,     // more rows than the window (or a sheet) holds
    MissingDataFile, // a data file could not be opened: no number of its kind is looked up
    // A workbook.
    NotZip,           // not a zip at all: no Office Open XML workbook
    NotWorkbook,      // a zip, or an OLE compound file, that holds no workbook
    Encrypted,        // protected by a password
    BinaryWorkbook,   // a binary workbook (.xls, .xlsb): to be saved as .xlsx or CSV first
    NoSheet,          // no worksheet at all
    NoSuchSheet,      // no sheet of the name or number asked for
    NoSheetNumbers,   // no sheet has a column of telephone numbers
    PartTooLarge,     // a part, or a sheet's cells, over the part cap (Outcome::part)
    Damaged,          // a part missing, its XML broken, a cell outside the sheet
    XmlEncoding,      // a part's XML in an encoding other than UTF-8, UTF-16 and ISO-8859-1
    TooLargeInside,   // more parts, sheets or sheets' XML to read than the caps above allow
    NoRoom,           // the new cells would stand on cells of their row, or past column XFD
    CannotWrite,      // the copy could not be made
    ModuleUnavailable // the module that reads workbooks cannot be loaded (Outcome::reason)
};
// For going through every value.
inline constexpr int kProblems = int(Problem::ModuleUnavailable) + 1;

// How reading a list, or writing it, ended: Problem::None when it went through whole; for a
// problem, what is known of where it lies and why.
struct Outcome {
    Problem problem = Problem::None;
    qint64 line = 0;       // the line of a text list, or the row of a sheet, where it lies
    qint64 lines = 0;      // RowTooLong: how many lines the row took in
    int systemError = 0;   // Unreadable, Folder: the system's error number
    QString part = {};     // a workbook's part it lies in
    QString asked = {};    // NoSuchColumn, NoSuchSheet: the column or the sheet asked for
    QString encoding = {}; // NotInEncoding: the list's encoding
    QString readsAs = {};  // NotInEncoding: what the later bytes read as, where another
    QString reason = {};   // ModuleUnavailable: why the module could not be loaded

    bool ok() const { return problem == Problem::None; }
};

// How far a long job on a list has come, and whether to stop it: shared between a worker thread
// and the window that shows it.
struct Progress {
    std::atomic<bool> cancelled{false};
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
};

} // namespace zunova::list
