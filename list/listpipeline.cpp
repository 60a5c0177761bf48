#include "listpipeline.h"

#include "lookup/writtennumber.h"

namespace zunova::list {

ListPipeline::ListPipeline(const Layout& layout, CellDecoder& decoder,
                           lookup::RecordSource& records)
    : m_numberColumn(layout.numberColumn)
    , m_headerRow(layout.headerRow)
    , m_decoder(decoder)
    , m_answers(records) {}

ListRow ListPipeline::take(const SourceRow& source) {
    ListRow row{source.line, source.fields, RowKind::Blank, 0, false, false, source.controlBytes};
    m_entered = {};
    const QByteArrayView cell = source.cells[m_numberColumn];
    const qint64 index = source.fields > 0 ? m_rows++ : -1;
    if (source.unclosed) {
        row.kind = RowKind::Unclosed;
    } else if (source.fields == 0) {
        row.kind = RowKind::Blank;
    } else if (index < m_headerRow) {
        row.kind = RowKind::Above;
    } else if (index == m_headerRow) {
        row.kind = RowKind::Header;
    } else if (source.continued) {
        row.kind = RowKind::Continued;
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
        row.several = number.several;
    }
    return row;
}

} // namespace zunova::list
