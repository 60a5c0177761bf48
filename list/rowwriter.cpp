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
    const bool quoted = fields > 0 && m_format.delimiter != 0 && lastFieldQuoted(content);
    const qsizetype delimiters = fields > 0 ? std::max(m_format.width - fields, 0) + 1 : 0;
    const qsizetype added = fields > 0 ? (quoted ? 2 * field.size() + 2 : field.size()) : 0;
    // One resize for the whole row, then plain copies: rows come by the million.
    qsizetype at = row.size();
    row.resize(at + content.size() + delimiters + added + lineEnd.size());
    char* p = row.data() + at;
    // Pieces of a row are a few bytes: a loop beats a call.
    auto copy = [&](QByteArrayView bytes) {
        p = std::copy(bytes.begin(), bytes.end(), p);
    };
    copy(content);
    p = std::fill_n(p, delimiters, m_format.outputDelimiter());
    if (quoted)
        p += csv_write(p, std::size_t(added), field.data(), std::size_t(field.size()));
    else
        copy(field);
    copy(lineEnd);
    row.truncate(p - row.constData());
    if (m_utf16)
        m_utf16->write(row, out);
}

} // namespace zunova::list
