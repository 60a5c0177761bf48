#include "listdocument.h"

#include "hugepages.h"
#include "messages.h"

#include "lookup/writtennumber.h"

namespace zunova::list {

ListDocument::ListDocument(const Layout& layout, std::shared_ptr<const KeptRows> kept)
    : m_layout(layout)
    , m_kept(std::move(kept)) {}

void ListDocument::reserve(std::size_t rows) {
    // Room for the rows made once: growing them as they come copied them all again and again.
    m_rows.reserve(rows);
    adviseHugePages(m_rows.data(), m_rows.capacity() * sizeof(Row));
}

bool ListDocument::add(const ListRow& row, quint32 place, int lineEndSize) {
    if (qsizetype(m_rows.size()) >= kMaxRows)
        return false;
    if (row.kind == RowKind::Header)
        m_headerIndex = qsizetype(m_rows.size());
    if (row.kind == RowKind::Number)
        ++m_counts[row.answer];
    if (row.kind == RowKind::NoNumber)
        ++m_rowsWithoutNumber;
    m_widest = std::max(m_widest, row.fields);
    m_rows.push_back({place, quint32(row.line), qint32(row.fields), quint8(lineEndSize), row.kind,
                      row.answer, row.zeroRestored});
    return true;
}

void ListDocument::finish(const AnswerTable& answers, std::optional<UnclosedQuote> unclosed) {
    m_answers = answers;
    m_unclosedQuote = unclosed;
}

ListRow ListDocument::row(qsizetype index) const {
    const Row& row = m_rows[std::size_t(index)];
    return {row.line, row.fields, row.kind, row.answer, row.zeroRestored};
}

QString ListDocument::carrierOf(qsizetype index) const {
    const Row& row = m_rows[std::size_t(index)];
    if (row.kind == RowKind::Header)
        return QString::fromUtf16(kCarrierColumnName);
    if (row.kind != RowKind::Number)
        return {};
    const auto* carrier = std::get_if<lookup::Carrier>(&*m_answers[row.answer]);
    return carrier ? carrier->name() : QString();
}

QString ListDocument::enteredNumber(qsizetype index) const {
    return lookup::readWrittenNumber(cells(index, *decoder()).value(m_layout.numberColumn),
                                     lookup::DroppedZero::Restore)
        .text;
}

QString ListDocument::noteOf(qsizetype index) const {
    return listNote(notesOf(row(index), m_answers, m_layout.width));
}

} // namespace zunova::list
