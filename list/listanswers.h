#pragma once

#include "lookup/query.h"
#include "lookup/recordsource.h"

#include <QStringView>

#include <array>
#include <optional>
#include <vector>

namespace zunova::list {

// The answers a list's numbers got, by identity.
using AnswerTable = std::array<std::optional<lookup::Answer>, lookup::kAnswerIds>;

// Answers a list's numbers, each as lookup::lookUp does, but looked up once per key
// (lookup::sameAnswerKey): the records must not change meanwhile, as a ReadOnceIndex's do not.
class ListAnswers {
public:
    explicit ListAnswers(lookup::RecordSource& records);

    lookup::AnswerId answer(QStringView enteredNumber);
    const AnswerTable& table() const { return m_answers; }

private:
    static constexpr qint8 kNotYet = -1;

    lookup::RecordSource& m_records;
    std::vector<qint8> m_byKey;
    AnswerTable m_answers;
};

} // namespace zunova::list
