#include "listpipeline.h"

#include "lookup/writtennumber.h"

namespace zunova::list {

ListPipeline::ListPipeline(const Layout& layout, CellDecoder& decoder,
                           lookup::RecordSource& records)
    : m_numberColumn(layout.numberColumn)
    , m_decoder(decoder)
    , m_answers(records)
    , m_headerTaken(!layout.header) {}

ListRow ListPipeline::take(const SourceRow& source) {
    ListRow row{source.line, source.fields, RowKind::Blank, 0, false};
    m_entered = {};
    const QByteArrayView cell = source.cells[m_numberColumn];
    if (source.unclosed) {
        row.kind = RowKind::Unclosed;
    } else if (source.fields == 0) {
        row.kind = RowKind::Blank;
    } else if (!m_headerTaken) {
        m_headerTaken = true;
        row.kind = RowKind::Header;
    } else if (lookup::readElevenAsciiDigits(cell, m_digits)) {
        m_entered = QStringView(m_digits, 11);
        row.kind = RowKind::Number;
        row.answer = m_answers.answer(m_entered);
    } else if (const QString text = m_decoder.decode(cell); text.trimmed().isEmpty()) {
        row.kind = RowKind::NoNumber;
    } else {
        lookup::WrittenNumber number =
            lookup::readWrittenNumber(text, lookup::DroppedZero::Restore);
        m_number = std::move(number.text);
        m_entered = m_number;
        row.kind = RowKind::Number;
        row.answer = m_answers.answer(m_entered);
        row.zeroRestored = number.zeroRestored;
    }
    return row;
}

} // namespace zunova::list
