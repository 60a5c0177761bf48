#include "listanswers.h"

namespace zunova::list {

ListAnswers::ListAnswers(lookup::RecordSource& records)
    : m_records(records)
    , m_byKey(std::size_t(lookup::kSameAnswerKeys), kNotYet) {}

lookup::AnswerId ListAnswers::answer(QStringView enteredNumber) {
    const int key = lookup::sameAnswerKey(enteredNumber);
    if (key >= 0 && m_byKey[std::size_t(key)] != kNotYet)
        return lookup::AnswerId(m_byKey[std::size_t(key)]);
    const lookup::Answer answer = lookup::lookUp(enteredNumber, m_records);
    const lookup::AnswerId id = lookup::answerId(answer);
    if (!m_answers[id])
        m_answers[id] = answer;
    if (key >= 0)
        m_byKey[std::size_t(key)] = qint8(id);
    return id;
}

} // namespace zunova::list
