#pragma once

#include <QIODevice>
#include <QString>
#include <QtGlobal>

#include "runtimeerror.h"

#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace zunova::runtime {

// A field not written as the format's plain decimal integer (ASCII digits, an optional minus
// before them) that still converts: "&H7FFF", "1e3", "2.5", "+6", full-width digits. Spaces
// around a field, its quotes and an empty field are layout the format allows, not this.
struct OddField {
    int line = 0;   // the line the field starts on
    QString text;   // as written, without the quotes and spaces around it
    qint16 value{}; // what every lookup reads it as
};

// Reads integer fields one after another from a text device, streaming it through a fixed
// buffer so memory does not grow with the file.
//
// The rules:
// - The data end at the end of the device or at the first byte 0x1A (the DOS end-of-file mark),
//   whichever comes first; nothing after the mark is read.
// - CR LF, LF and CR each end a line; lines are counted from 1.
// - Fields are separated by commas or line ends. Spaces and tabs around a field are skipped.
//   Right after a comma a line end (or the end of the data) closes an empty field; elsewhere
//   blank lines before a field are skipped.
// - A field in double quotes reads as its content (line ends and commas included), up to the
//   closing quote or the end of the data; only spaces and tabs may follow it before the separator.
// - An empty field reads as 0; any other field is converted like typed text (to16BitInteger).
// - A record is read only when data remain: blank space and blank lines before a record, and
//   after the last one, are not data, and a line end there does not close an empty field.
//
// Throws RuntimeError carrying the source name and line: 13 for a field that is not an integer,
// 6 for one beyond 16 bits or longer than 64 KiB (at once, without reading the rest of it), both
// with the line the field starts on; 62 when the data end where a field is still expected, with
// the line of the last field read (the line the cut-short record stops on); 57 when reading the
// device fails, or when it ends before the size it had at the start (a file cut while it is
// read), with the line reading stopped on.
class FieldReader {
public:
    FieldReader(QIODevice& device, QString sourceName);

    // The end-of-data test, made between records: true once nothing but blank space remains.
    bool atEndOfData();

    // The end-of-data test and, where data remain, the next record of `out.size()` fields in one:
    // returns the line the record's first field stands on, or 0 once the data end.
    int readRecord(std::span<qint16> out);

    int line() const { return m_line; }

    // Called for every OddField read from now on, in the order read.
    void setOddFieldHandler(std::function<void(const OddField&)> handler) {
        m_oddField = std::move(handler);
    }

    // Once atEndOfData() is true: where the data ended at a 0x1A and something other than blank
    // space, line ends and further marks follows it, the line that something stands on. Reads
    // the rest of the device to find out.
    std::optional<int> lineOfDataAfterEndMark();

private:
    static constexpr int kEnd = -1;
    static constexpr int kEndOfFileMark = 0x1A;
    // Longer than any number a field can sensibly hold; beyond it a field is an overflow.
    static constexpr qsizetype kMaxFieldLength = 64 * 1024;

    qint16 readField();
    // A field's text, once its layout is stripped, as a number.
    qint16 convert(const QByteArray& text, int fieldLine);

    // The customary layout (each field an optional minus and up to five ASCII digits, then a
    // comma or a line end) read straight from the buffer. Consumes nothing and returns false
    // where any field needs the general path. A second way of reading fields, kept for speed:
    // tools/bench.sh's key-last scan of a large data file, and its step for a code of one digit
    // lookup_bench's worst-case query (doc/performance.md).
    bool readPlainRecord(std::span<qint16> out);
    // Moves what is left of the buffer to its front and fills the rest from the device.
    void topUp();
    // Reads up to `room` bytes of the device into `into`; 0 at its end.
    qsizetype readMore(char* into, qsizetype room);
    int peek();
    void advance() { ++m_pos; }
    void consumeLineEnd();
    [[noreturn]] void fail(ErrorNumber number, int line) const;

    QIODevice& m_device;
    QString m_sourceName;
    std::vector<char> m_buffer;
    qsizetype m_pos = 0;
    qsizetype m_len = 0;
    bool m_exhausted = false;
    qint64 m_sizeAtStart;
    qint64 m_bytesRead = 0;
    bool m_cut = false;
    int m_line = 1;
    int m_lastFieldLine = 1;
    bool m_afterComma = false;
    std::function<void(const OddField&)> m_oddField;
};

} // namespace zunova::runtime
