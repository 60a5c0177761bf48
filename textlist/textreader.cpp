#include "textreader.h"

namespace zunova::textlist {

WorkingBytes::WorkingBytes(const Format& format, bool watched)
    : m_encoding(format.encoding)
    , m_checked(watched && !format.isUtf16() &&
                (format.doubt == EncodingDoubt::None || format.doubt == EncodingDoubt::AsciiOnly))
    , m_utf16(format.isUtf16() ? std::make_unique<Utf16Reader>(format.encoding) : nullptr) {}

WorkingBytes::~WorkingBytes() = default;

QByteArrayView WorkingBytes::of(QByteArrayView piece, bool last) {
    if (m_stopped != list::Problem::None)
        return {};
    if (m_utf16) {
        m_converted.clear();
        if (!m_utf16->read(piece, last, m_converted)) {
            m_stopped = list::Problem::NotUtf16;
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
    m_stopped = list::Problem::NotInEncoding;
    return piece.first(std::max<qsizetype>(prefix.valid - (checked.size() - piece.size()), 0));
}

TextListReader::TextListReader(const Format& format, lookup::RecordSource& records)
    : m_codec(format.encoding)
    , m_pipeline(format.layout, m_codec, records)
    , m_reader(format.delimiter) {}

RowReader::Status TextListReader::read(QByteArrayView working, bool last, const Each& each) {
    return m_reader.read(working, last, [&](const Row& read) {
        const list::ListRow row =
            m_pipeline.take({.cells = read.cells,
                             .line = read.line,
                             .fields = read.fields,
                             .unclosed = read.unclosed,
                             .controlBytes = holdsControlBytes(read.content)});
        return each(read, row, m_pipeline.entered());
    });
}

} // namespace zunova::textlist
