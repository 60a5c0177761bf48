#pragma once

#include <QIODevice>
#include <QString>
#include <QtGlobal>

#include "runtimeerror.h"

#include <span>
#include <vector>

namespace zunova::runtime {

// Reads integer fields one after another from a text device, streaming it through a fixed
// buffer so memory does not grow with the file.
//
// Fields are separated by commas or line ends (CR LF, LF or CR). Spaces and tabs around a field
// are skipped, a field in double quotes reads as its content, an empty field reads as 0. Blank
// lines before a record, and blank space after the last one, are not data.
//
// Throws RuntimeError carrying the source name and line: 13 for a field that is not an integer,
// 6 for one beyond 16 bits, 62 when the data end where a field is still expected.
class SequentialReader {
public:
    SequentialReader(QIODevice& device, QString sourceName);

    // The end-of-data test, made between records: true once nothing but blank space remains.
    bool atEndOfData();

    qint16 readInt16();
    void readInt16s(std::span<qint16> out);

    int line() const { return m_line; }

private:
    static constexpr int kEnd = -1;
    // Longer than any number a field can sensibly hold; beyond it a field is an overflow.
    static constexpr qsizetype kMaxFieldLength = 64 * 1024;

    // The customary layout (each field an optional minus and up to five ASCII digits, then a
    // comma or a line end) read straight from the buffer. Consumes nothing and returns false
    // where any field needs the general path.
    bool readPlainRecord(std::span<qint16> out);
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
    int m_line = 1;
    bool m_afterComma = false;
};

} // namespace zunova::runtime
