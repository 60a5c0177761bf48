#include "listpipeline.h"

#include "lookup/writtennumber.h"

namespace zunova::list {

WorkingBytes::WorkingBytes(Encoding encoding)
    : m_utf16(encoding == Encoding::Utf16LE || encoding == Encoding::Utf16BE
                  ? std::make_unique<Utf16Reader>(encoding)
                  : nullptr) {}

WorkingBytes::~WorkingBytes() = default;

std::optional<QByteArrayView> WorkingBytes::of(QByteArrayView piece, bool last) {
    if (!m_utf16)
        return piece;
    m_converted.clear();
    if (!m_utf16->read(piece, last, m_converted))
        return std::nullopt;
    return QByteArrayView(m_converted);
}

ListPipeline::ListPipeline(const Format& format, lookup::RecordSource& records)
    : m_format(format)
    , m_codec(format.encoding)
    , m_answers(records)
    , m_reader(format.delimiter, format.numberColumn)
    , m_headerTaken(!format.header) {}

RowReader::Status ListPipeline::read(QByteArrayView working, bool last, RowSink& sink) {
    return m_reader.read(working, last, [&](const Row& read) {
        ListRow row{read.content, read.lineEnd, read.line, read.fields, RowKind::Blank, 0};
        if (read.fields == 0)
            return sink.take(row, {});
        if (!m_headerTaken) {
            m_headerTaken = true;
            row.kind = RowKind::Header;
            return sink.take(row, {});
        }
        row.kind = RowKind::Number;
        const QString entered = lookup::digitsOfWrittenNumber(m_codec.decode(read.number));
        row.answer = m_answers.answer(entered);
        return sink.take(row, entered);
    });
}

} // namespace zunova::list
