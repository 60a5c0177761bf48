#pragma once

#include "query.h"
#include "recordsource.h"

#include <QByteArrayView>
#include <QStringView>
#include <QtGlobal>

#include <utility>
#include <vector>

namespace zunova::lookup {

// The answers to a long list of numbers, each distinct answer kept once and numbered in the
// order met. A number of eleven ASCII digits is looked up once per key (sameAnswerKey): the
// records must not change meanwhile, as a ReadOnceIndex's do not.
class ListAnswers {
public:
    explicit ListAnswers(RecordSource& records)
        : m_records(records)
        , m_byKey(std::size_t(kSameAnswerKeys), kNotYet) {}

    // The index in answers() of the answer to `number` (its bytes as given); `entered()` gives
    // the number as the query reads it, asked only when it must be looked up.
    template <class Entered> quint16 indexOf(QByteArrayView number, Entered&& entered) {
        const int key = sameAnswerKey(number);
        if (key >= 0 && m_byKey[std::size_t(key)] != kNotYet)
            return m_byKey[std::size_t(key)];
        const quint16 index = indexOf(lookUp(std::forward<Entered>(entered)(), m_records));
        if (key >= 0)
            m_byKey[std::size_t(key)] = index;
        return index;
    }
    const std::vector<Answer>& answers() const { return m_answers; }
    std::vector<Answer> takeAnswers() { return std::exchange(m_answers, {}); }

private:
    static constexpr quint16 kNotYet = 0xffff;
    quint16 indexOf(const Answer& answer);

    RecordSource& m_records;
    std::vector<quint16> m_byKey;
    std::vector<Answer> m_answers;
    // Each carrier's index by the address of its name: the same few names come back for every
    // row, and comparing their texts would cost more than the lookup.
    std::vector<std::pair<const char16_t*, quint16>> m_carriers;
};

} // namespace zunova::lookup
