#include "rowwriter.h"

#include <csv.h>

#include <algorithm>
#include <cstring>

namespace zunova::list {
namespace {

// The added field is quoted like the field before it.
bool lastFieldQuoted(QByteArrayView content) {
    while (!content.isEmpty() && (content.back() == ' ' || content.back() == '\t'))
        content.chop(1);
    return content.endsWith('"');
}

template <std::size_t size> void copyFixed(char* to, const char* from) {
    std::memcpy(to, from, size); // a known size: a few moves, no call
}

// Copies the few bytes of a row's piece without a call to memcpy, which costs more than the
// copy at this size: two overlapping copies of a fixed size cover any length up to twice it.
Q_ALWAYS_INLINE char* copyShort(char* to, QByteArrayView bytes) {
    const char* from = bytes.data();
    const qsizetype n = bytes.size();
    if (n > 32)
        std::memcpy(to, from, std::size_t(n));
    else if (n >= 16)
        copyFixed<16>(to, from), copyFixed<16>(to + n - 16, from + n - 16);
    else if (n >= 8)
        copyFixed<8>(to, from), copyFixed<8>(to + n - 8, from + n - 8);
    else if (n >= 4)
        copyFixed<4>(to, from), copyFixed<4>(to + n - 4, from + n - 4);
    else if (n > 0)
        to[0] = from[0], to[n / 2] = from[n / 2], to[n - 1] = from[n - 1];
    return to + n;
}

} // namespace

RowWriter::RowWriter(const Format& format)
    : m_format(format)
    , m_codec(format.encoding)
    , m_utf16(format.isUtf16() ? std::make_unique<Utf16Writer>(format.encoding) : nullptr) {}

RowWriter::~RowWriter() = default;

QByteArray RowWriter::start() const {
    return m_format.byteOrderMark ? byteOrderMark(m_format.encoding).toByteArray() : QByteArray();
}

QByteArrayView RowWriter::carrierField(QStringView text) {
    // The query names carriers by the same fixed texts every time: the same address is the same
    // name, no comparison needed.
    for (const auto& [name, bytes] : m_fields)
        if (name.constData() == text.data() && name.size() == text.size())
            return bytes;
    for (const auto& [name, bytes] : m_fields)
        if (name == text)
            return bytes;
    // Kept by the caller's characters (fixed texts outlive the writer), so the address matches.
    m_fields.emplace_back(
        QString::fromRawData(reinterpret_cast<const QChar*>(text.data()), text.size()),
        m_codec.encode(text));
    return m_fields.back().second;
}

void RowWriter::append(QByteArray& out, QByteArrayView content, QByteArrayView lineEnd, int fields,
                       QStringView carrier) {
    appendEncoded(out, content, lineEnd, fields,
                  fields > 0 ? carrierField(carrier) : QByteArrayView());
}

void RowWriter::appendEncoded(QByteArray& out, QByteArrayView content, QByteArrayView lineEnd,
                              int fields, QByteArrayView field) {
    QByteArray& row = m_utf16 ? m_row : out;
    if (m_utf16)
        row.resize(0);
    const qsizetype at = row.size();
    row.resize(at + roomFor(content, lineEnd, m_format.width, field));
    row.truncate(write(row.data() + at, content, lineEnd, fields, field) - row.constData());
    if (m_utf16)
        m_utf16->write(row, out);
}

char* RowWriter::write(char* p, QByteArrayView content, QByteArrayView lineEnd, int fields,
                       QByteArrayView field) const {
    const bool quoted = fields > 0 && m_format.delimiter != 0 && lastFieldQuoted(content);
    const qsizetype delimiters = fields > 0 ? std::max(m_format.width - fields, 0) + 1 : 0;
    const qsizetype added = fields > 0 ? (quoted ? 2 * field.size() + 2 : field.size()) : 0;
    p = copyShort(p, content);
    for (qsizetype i = 0; i < delimiters; ++i)
        *p++ = m_format.outputDelimiter();
    if (quoted)
        p += csv_write(p, std::size_t(added), field.data(), std::size_t(field.size()));
    else
        p = copyShort(p, field);
    return copyShort(p, lineEnd);
}

} // namespace zunova::list
