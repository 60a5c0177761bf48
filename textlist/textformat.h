#pragma once

#include "textcodec.h"

#include "list/layout.h"
#include "list/listfile.h"
#include "list/problem.h"

#include <QByteArrayView>

#include <optional>

namespace zunova::textlist {

// Why the encoding found may be wrong.
enum class EncodingDoubt {
    None,
    AsciiOnly,    // any encoding reads the file alike, but the carrier names need one
    InvalidBytes, // neither UTF-8 nor Shift_JIS reads every byte
};

// How a text list is written: what its rows are read with and written back in, and where its
// numbers stand.
struct Format {
    Encoding encoding = Encoding::Utf8;
    bool byteOrderMark = false; // the data start with the encoding's mark
    EncodingDoubt doubt = EncodingDoubt::None;
    char delimiter = 0; // ',', '\t' or ';'; 0: one number a line
    list::Layout layout;

    bool isUtf16() const { return encoding == Encoding::Utf16LE || encoding == Encoding::Utf16BE; }
    // Where the rows start in the file's bytes: after the byte-order mark.
    qsizetype dataStart() const {
        return byteOrderMark ? textlist::byteOrderMark(encoding).size() : 0;
    }
    // The carrier column is added with the file's delimiter; a plain list gets a tab, as the
    // command line answers numbers.
    char outputDelimiter() const { return delimiter ? delimiter : '\t'; }
};

// Formats are decided from the first this many bytes of a list.
inline constexpr qsizetype kSampleBytes = 1024 * 1024;

struct Detection {
    Format format;
    list::Outcome outcome;
    // No layout was found in the sample, but what follows it may hold one: the sample ends inside
    // a row, or holds nothing but blank lines. Detect again on more of the list.
    bool needsMore = false;
    qint64 openRowLine = 0; // where a row going on past the sample starts
};

// Detects the format of a list held whole: on its first kSampleBytes, and on more where those
// hold no layout yet (blank lines, a long row).
Detection detectWhole(QByteArrayView data, std::optional<Encoding> encoding = {},
                      const list::ColumnChoice& column = {}, std::optional<char> delimiter = {});

// Decides a list's format from its first bytes: `sample` is the data's start (at most
// kSampleBytes), `whole` when nothing follows it. A given encoding or column is used as it is.
// A delimiter given is taken as it is ('\t', or 0 for one field a line).
Detection detect(QByteArrayView sample, bool whole, std::optional<Encoding> encoding = {},
                 const list::ColumnChoice& column = {}, std::optional<char> delimiter = {});

// Whether text holds a control character other than a tab, a line end, a form feed and the DOS
// end-of-file mark, which turn up in text files.
bool isControlByte(char c);
bool holdsControlBytes(QByteArrayView text);

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

// How far past its first kSampleBytes a file is read ahead for its encoding.
inline constexpr qint64 kReadAheadBytes = 64 * 1024 * 1024;

// The same for a file streamed from `input`, whose first kSampleBytes were ASCII alone: read
// ahead (without moving where its reading goes on) for the first byte that is not ASCII. The
// look stops kReadAheadBytes on, or at a byte no text holds (a NUL: a sparse file's hole), and
// the stream is then watched for its encoding as it is read. True where the whole file is ASCII.
bool readAheadForTheEncoding(list::ListInput& input, Format& format);

} // namespace zunova::textlist
