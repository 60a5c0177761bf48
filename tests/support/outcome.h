#pragma once

#include "runtime/runtimeerror.h"

#include <QString>
#include <QtGlobal>

#include <optional>
#include <ostream>
#include <string>

namespace zunova::testing {

// Everything a record lookup can answer: a code, no record, or a run-time error with where it
// lies. Two lookups agree when their outcomes are equal.
struct Outcome {
    std::optional<qint16> code;
    int error = 0;
    QString file;
    int line = 0;

    bool operator==(const Outcome&) const = default;

    std::string describe() const {
        if (error != 0)
            return "error " + std::to_string(error) + " in '" + file.toStdString() + "' line " +
                   std::to_string(line);
        return code ? "code " + std::to_string(*code) : std::string("no record");
    }
};

template <typename Lookup> Outcome outcomeOf(Lookup&& lookup) {
    try {
        return {lookup(), 0, {}, 0};
    } catch (const runtime::RuntimeError& e) {
        return {std::nullopt, static_cast<int>(e.number()), e.file(), e.line()};
    }
}

inline void PrintTo(const Outcome& outcome, std::ostream* os) {
    *os << outcome.describe();
}

} // namespace zunova::testing
