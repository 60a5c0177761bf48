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
    m_counts.add(row);
    m_widest = std::max(m_widest, row.fields);
    const quint8 marks = (row.zeroRestored ? ZeroRestored : 0) | (row.several ? Several : 0) |
                         (row.controlBytes ? ControlBytes : 0);
    m_rows.push_back({place, quint32(row.line), qint32(row.fields), quint8(lineEndSize), row.kind,
                      row.answer, marks});
    return true;
}

void ListDocument::finish(const AnswerTable& answers, std::optional<UnclosedQuote> unclosed) {
    m_answers = answers;
    m_unclosedQuote = unclosed;
}

ListRow ListDocument::row(qsizetype index) const {
    const Row& row = m_rows[std::size_t(index)];
    return {row.line,
            row.fields,
            row.kind,
            row.answer,
            (row.marks & ZeroRestored) != 0,
            (row.marks & Several) != 0,
            (row.marks & ControlBytes) != 0};
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
    const ListRow row = this->row(index);
    // The number itself only where a note names it: of several, or one never looked up.
    const bool named =
        row.kind == RowKind::Number &&
        (row.several || std::holds_alternative<lookup::Warning>(*m_answers[row.answer]));
    return listNote(notesOf(row, m_answers, m_layout, named ? enteredNumber(index) : QString()));
}

} // namespace zunova::list
