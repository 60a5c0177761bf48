#pragma once

#include "textcodec.h"
#include "workbook.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <atomic>
#include <optional>

namespace zunova::list {

// Formats are decided from the first this many bytes of a list.
inline constexpr qsizetype kSampleBytes = 1024 * 1024;
// ...and from at most this many of its rows.
inline constexpr int kSampleRows = 1000;

// The number column the user asked for: a position (from 0) or a header's name. Neither: the
// column in which most rows hold a number.
struct ColumnChoice {
    int position = -1;
    QString name;
};

// Why the encoding found may be wrong.
enum class EncodingDoubt {
    None,
    AsciiOnly,    // any encoding reads the file alike, but the carrier names need one
    InvalidBytes, // neither UTF-8 nor Shift_JIS reads every byte
};

// How a list is written: what its rows are read with and written back in.
struct Format {
    Encoding encoding = Encoding::Utf8;
    bool byteOrderMark = false; // the data start with the encoding's mark
    EncodingDoubt doubt = EncodingDoubt::None;
    char delimiter = 0;      // ',', '\t' or ';'; 0: one number a line
    int numberColumn = 0;    // from 0
    bool header = false;     // the first row names the columns
    int width = 1;           // the field count most rows have
    QStringList columnNames; // the header's fields; empty without a header

    bool isUtf16() const { return encoding == Encoding::Utf16LE || encoding == Encoding::Utf16BE; }
    // Where the rows start in the file's bytes: after the byte-order mark.
    qsizetype dataStart() const { return byteOrderMark ? list::byteOrderMark(encoding).size() : 0; }
    // The carrier column is added with the file's delimiter; a plain list gets a tab, as the
    // command line answers numbers.
    char outputDelimiter() const { return delimiter ? delimiter : '\t'; }
};

// Why a list was not read whole.
enum class Problem {
    None,
    Empty,               // no row at all (nothing, or only blank lines)
    Binary,              // NUL or many control bytes, and no byte-order mark
    NotUtf16,            // a byte-order mark says UTF-16, but the data are not
    NotInEncoding,       // later data do not read in the encoding the list's start was read in
    EncodingUnavailable, // this system cannot convert the list's encoding (iconv lacks it)
    HeaderOnly,          // one row alone, with no number in it: nothing to look up
    NoNumberColumn,      // no column holds a telephone number in any row read
    NoSuchColumn,        // the column asked for is in no row, or no header has its name
    RowTooLong,          // a row longer than kMaxRowBytes
    TooLarge,            // more bytes than the window holds
    TooManyRows,         // more rows than the window holds
    Unreadable,          // the system refused to open or read it
    Folder,              // a folder, not a file
    NotAFile,            // a FIFO, a device or a socket, where only a file is read
    Changed,             // it changed while it was read
    Cancelled,           // the user stopped the reading
    Workbook,            // a workbook that cannot be read (ReadOutcome::workbook says why)
    NoSuchSheet,         // no sheet of the name or number asked for
};

// How far a long job on a list has come, and whether to stop it: shared between a worker thread
// and the window that shows it.
struct Progress {
    std::atomic<bool> cancelled{false};
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
};

// How reading a list ended: Problem::None when it was read whole; for a problem, the line it
// lies on or the system's error number, where one applies.
struct ReadOutcome {
    Problem problem = Problem::None;
    qint64 line = 0;
    int systemError = 0;
    WorkbookProblem workbook = WorkbookProblem::None;
};

struct Detection {
    Format format;
    Problem problem = Problem::None;
};

// Decides a list's format from its first bytes: `sample` is the data's start (at most
// kSampleBytes), `whole` when nothing follows it. A given encoding or column is used as it is.
// A delimiter given is taken as it is ('\t', or 0 for one field a line).
Detection detect(QByteArrayView sample, bool whole, std::optional<Encoding> encoding = {},
                 const ColumnChoice& column = {}, std::optional<char> delimiter = {});

// The encoding a list's text without a byte-order mark is read in: UTF-8 for ASCII alone (in
// doubt: any encoding reads it alike), else valid UTF-8, else valid Shift_JIS, else whichever
// reads more of it (in doubt). `whole`: nothing follows `text`.
std::pair<Encoding, EncodingDoubt> encodingOfText(QByteArrayView text, bool whole);

// Where all of a list's text is at hand, its encoding as the whole of it says: a start of ASCII
// alone takes the encoding of the first text after it that is not; a start in UTF-8 or Shift_JIS
// that the rest does not read in is in doubt.
void takeEncodingFromWholeText(Format& format, QByteArrayView data);
// The same for a list streamed: `later` is its text from the first byte that is not ASCII on
// (`whole`: nothing follows it), for a format whose start was ASCII alone.
void takeEncodingFromLaterText(Format& format, QByteArrayView later, bool whole);

// Whether a field holds a telephone number (10 or 11 digits that begin with 0), or a mobile
// number (0X0 and eight digits), read as a list's numbers are read (lookup::readWrittenNumber).
bool holdsNumber(QStringView field);
bool holdsMobileNumber(QStringView field);
// Whether a column's header names a mobile number: 携帯, モバイル, mobile, cell.
bool namesMobileColumn(QStringView header);

// Whether text holds more than one number: two lines or more with a number in some field.
bool holdsSeveralNumbers(QStringView text);

} // namespace zunova::list
