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

// Where the first `count` fields of a row end: at the delimiter before the next, outside quotes.
qsizetype endOfFields(QByteArrayView content, char delimiter, int count) {
    bool quoted = false;
    int fields = 1;
    for (qsizetype i = 0; i < content.size(); ++i) {
        if (content[i] == '"')
            quoted = !quoted;
        else if (content[i] == delimiter && !quoted && fields++ == count)
            return i;
    }
    return content.size();
}

} // namespace

RowWriter::RowWriter(const Format& format)
    : m_format(format)
    , m_codec(format.encoding)
    , m_utf16(format.isUtf16() ? std::make_unique<Utf16Writer>(format.encoding) : nullptr)
    , m_carrierHeader(m_codec.encode(list::kCarrierColumnName))
    , m_noteHeader(m_codec.encode(
          list::noteColumnName(format.layout.carrierColumn >= 0
                                   ? format.layout.columnNames.first(format.layout.carrierColumn)
                                   : format.layout.columnNames))) {}

RowWriter::~RowWriter() = default;

QByteArray RowWriter::start() const {
    return m_format.byteOrderMark ? byteOrderMark(m_format.encoding).toByteArray() : QByteArray();
}

QByteArrayView RowWriter::carrierField(const list::ListRow& row, const list::AnswerTable& answers) {
    if (row.kind == list::RowKind::Header)
        return m_carrierHeader;
    if (row.kind != list::RowKind::Number)
        return {};
    std::optional<QByteArray>& field = m_fields[row.answer];
    if (!field) {
        const auto* carrier = std::get_if<lookup::Carrier>(&*answers[row.answer]);
        field = carrier ? m_codec.encode(carrier->name()) : QByteArray();
    }
    return *field;
}

QByteArrayView RowWriter::noteField(const QString& note) {
    if (note.isEmpty())
        return {};
    auto known = m_notes.constFind(note);
    if (known == m_notes.constEnd())
        known = m_notes.insert(note, m_codec.encode(note));
    return *known;
}

void RowWriter::appendField(std::string& to, QByteArrayView field, bool quoted) {
    const char delimiter = m_format.outputDelimiter();
    quoted =
        m_format.delimiter != 0 && (quoted || std::any_of(field.begin(), field.end(), [&](char c) {
                                        return c == delimiter || c == '"' || c == '\r' || c == '\n';
                                    }));
    to.append(1, delimiter);
    if (quoted)
        appendQuoted(to, field);
    else
        to.append(field.data(), std::size_t(field.size()));
}

void RowWriter::append(std::string& out, QByteArrayView content, QByteArrayView lineEnd,
                       const list::ListRow& row, const list::AnswerTable& answers,
                       const QString& note) {
    std::string& to = m_utf16 ? m_row : out;
    const bool added = row.kind != list::RowKind::Blank && row.kind != list::RowKind::Unclosed &&
                       row.kind != list::RowKind::Above;
    const int carrierColumn = m_format.layout.carrierColumn;
    // An earlier run's carrier and note go; the new ones take their place.
    if (added && carrierColumn >= 0)
        content = content.first(endOfFields(content, m_format.delimiter, carrierColumn));
    to.append(content.data(), std::size_t(content.size()));
    if (added) {
        const list::Layout& layout = m_format.layout;
        to.append(std::size_t(std::max(layout.ownWidth() - layout.ownCells(row.fields), 0)),
                  m_format.outputDelimiter());
        const bool quoted = m_format.delimiter != 0 && lastFieldQuoted(content);
        appendField(to, carrierField(row, answers), quoted);
        appendField(
            to, row.kind == list::RowKind::Header ? QByteArrayView(m_noteHeader) : noteField(note),
            quoted);
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
