#include "listpipeline.h"

#include "lookup/writtennumber.h"

namespace zunova::list {

WorkingBytes::WorkingBytes(const Format& format, bool watched)
    : m_encoding(format.encoding)
    , m_checked(watched && !format.isUtf16() &&
                (format.doubt == EncodingDoubt::None || format.doubt == EncodingDoubt::AsciiOnly))
    , m_utf16(format.isUtf16() ? std::make_unique<Utf16Reader>(format.encoding) : nullptr) {}

WorkingBytes::~WorkingBytes() = default;

QByteArrayView WorkingBytes::of(QByteArrayView piece, bool last) {
    if (m_stopped != Problem::None)
        return {};
    if (m_utf16) {
        m_converted.clear();
        if (!m_utf16->read(piece, last, m_converted)) {
            m_stopped = Problem::NotUtf16;
            return {};
        }
        return m_converted;
    }
    if (!m_checked)
        return piece;
    // The character the last piece cut off is checked with this one.
    const QByteArray checked = m_cutOff + piece.toByteArray();
    const TextPrefix prefix = m_encoding == Encoding::ShiftJis ? shiftJisPrefix(checked, last)
                                                               : utf8Prefix(checked, last);
    m_cutOff = checked.sliced(prefix.complete, prefix.valid - prefix.complete);
    if (prefix.valid == checked.size())
        return piece;
    m_stopped = Problem::NotInEncoding;
    return piece.first(std::max<qsizetype>(prefix.valid - (checked.size() - piece.size()), 0));
}

ListPipeline::ListPipeline(const Format& format, lookup::RecordSource& records)
    : m_format(format)
    , m_codec(format.encoding)
    , m_answers(records)
    , m_reader(format.delimiter, format.numberColumn)
    , m_headerTaken(!format.header) {}

RowReader::Status ListPipeline::read(QByteArrayView working, bool last, RowSink& sink) {
    return m_reader.read(working, last, [&](const Row& read) {
        ListRow row{read.content, read.lineEnd, read.line, read.fields, RowKind::Blank, 0, false};
        if (read.unclosed) {
            row.kind = RowKind::Unclosed;
        } else if (read.fields == 0) {
            row.kind = RowKind::Blank;
        } else if (!m_headerTaken) {
            m_headerTaken = true;
            row.kind = RowKind::Header;
        } else if (char16_t digits[11]; lookup::readElevenAsciiDigits(read.number, digits)) {
            row.kind = RowKind::Number;
            row.answer = m_answers.answer(QStringView(digits, 11));
            return sink.take(row, QStringView(digits, 11));
        } else if (const QString cell = m_codec.decode(read.number); cell.trimmed().isEmpty()) {
            row.kind = RowKind::NoNumber;
        } else {
            const lookup::WrittenNumber number =
                lookup::readWrittenNumber(cell, lookup::DroppedZero::Restore);
            row.kind = RowKind::Number;
            row.answer = m_answers.answer(number.text);
            row.zeroRestored = number.zeroRestored;
            return sink.take(row, number.text);
        }
        return sink.take(row, {});
    });
}

} // namespace zunova::list
