#include "rowwriter.h"

#include <csv.h>

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
    for (const auto& [name, bytes] : m_fields)
        if (name == text)
            return bytes;
    m_fields.emplace_back(text.toString(), m_codec.encode(text));
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
    row.append(content);
    if (fields > 0) {
        const char delimiter = m_format.outputDelimiter();
        for (int i = fields; i < m_format.width; ++i)
            row.append(delimiter);
        row.append(delimiter);
        if (m_format.delimiter != 0 && lastFieldQuoted(content)) {
            const qsizetype at = row.size();
            row.resize(at + 2 * field.size() + 2);
            const std::size_t written = csv_write(row.data() + at, std::size_t(row.size() - at),
                                                  field.data(), std::size_t(field.size()));
            row.resize(at + qsizetype(written));
        } else {
            row.append(field);
        }
    }
    row.append(lineEnd);
    if (m_utf16)
        m_utf16->write(row, out);
}

} // namespace zunova::list
