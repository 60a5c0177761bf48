#include "rowwriter.h"

#include <csv.h>

#include <algorithm>

namespace zunova::textlist {
namespace {

// The added field is quoted like the field before it.
bool lastFieldQuoted(QByteArrayView content) {
    while (!content.isEmpty() && (content.back() == ' ' || content.back() == '\t'))
        content.chop(1);
    return content.endsWith('"');
}

void appendQuoted(std::string& out, QByteArrayView field) {
    const std::size_t at = out.size();
    out.resize(at + 2 * std::size_t(field.size()) + 2); // every byte a quote, doubled, and two
    const std::size_t written =
        csv_write(out.data() + at, out.size() - at, field.data(), std::size_t(field.size()));
    out.resize(at + written);
}

} // namespace

RowWriter::RowWriter(const Format& format)
    : m_format(format)
    , m_codec(format.encoding)
    , m_utf16(format.isUtf16() ? std::make_unique<Utf16Writer>(format.encoding) : nullptr)
    , m_header(m_codec.encode(list::kCarrierColumnName)) {}

RowWriter::~RowWriter() = default;

QByteArray RowWriter::start() const {
    return m_format.byteOrderMark ? byteOrderMark(m_format.encoding).toByteArray() : QByteArray();
}

QByteArrayView RowWriter::addedField(const list::ListRow& row, const list::AnswerTable& answers) {
    if (row.kind == list::RowKind::Header)
        return m_header;
    if (row.kind != list::RowKind::Number)
        return {};
    std::optional<QByteArray>& field = m_fields[row.answer];
    if (!field) {
        const auto* carrier = std::get_if<lookup::Carrier>(&*answers[row.answer]);
        field = carrier ? m_codec.encode(carrier->name()) : QByteArray();
    }
    return *field;
}

void RowWriter::append(std::string& out, QByteArrayView content, QByteArrayView lineEnd,
                       const list::ListRow& row, const list::AnswerTable& answers) {
    std::string& to = m_utf16 ? m_row : out;
    to.append(content.data(), std::size_t(content.size()));
    if (row.kind != list::RowKind::Blank && row.kind != list::RowKind::Unclosed) {
        const QByteArrayView field = addedField(row, answers);
        const int delimiters = std::max(m_format.layout.width - row.fields, 0) + 1;
        to.append(std::size_t(delimiters), m_format.outputDelimiter());
        if (m_format.delimiter != 0 && lastFieldQuoted(content))
            appendQuoted(to, field);
        else
            to.append(field.data(), std::size_t(field.size()));
    }
    to.append(lineEnd.data(), std::size_t(lineEnd.size()));
    if (m_utf16) {
        const QByteArray encoded =
            m_utf16->encode(QByteArrayView(m_row.data(), qsizetype(m_row.size())));
        out.append(encoded.constData(), std::size_t(encoded.size()));
        m_row.clear(); // keeps its room for the next row
    }
}

} // namespace zunova::textlist
