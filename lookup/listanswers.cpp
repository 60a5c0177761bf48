#include "listanswers.h"

#include <algorithm>

namespace zunova::lookup {
namespace {

bool sameAnswer(const Answer& a, const Answer& b) {
    if (a.index() != b.index())
        return false;
    if (const auto* error = std::get_if<runtime::RuntimeError>(&a)) {
        const auto& other = std::get<runtime::RuntimeError>(b);
        return error->number() == other.number() && error->file() == other.file() &&
               error->line() == other.line();
    }
    if (const auto* carrier = std::get_if<Carrier>(&a))
        return *carrier == std::get<Carrier>(b);
    return std::get<Warning>(a) == std::get<Warning>(b);
}

} // namespace

quint16 ListAnswers::indexOf(const Answer& answer) {
    const auto* carrier = std::get_if<Carrier>(&answer);
    if (carrier)
        for (const auto& [name, index] : m_carriers)
            if (name == carrier->name)
                return index;
    const auto known = std::ranges::find_if(
        m_answers, [&](const Answer& other) { return sameAnswer(other, answer); });
    const auto index = quint16(known - m_answers.begin());
    if (known == m_answers.end())
        m_answers.push_back(answer);
    if (carrier)
        m_carriers.emplace_back(carrier->name, index);
    return index;
}

} // namespace zunova::lookup
