#pragma once

#include "runtime/runtimeerror.h"

#include <QString>
#include <QtGlobal>

#include <optional>
#include <ostream>
#include <string>
#include <type_traits>

namespace zunova::testing {

// Everything a conversion, a read or a record lookup can end in: a value (or none), or a
// run-time error with where it lies. Two calls agree when their outcomes are equal.
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

inline Outcome errorOutcome(int error, const QString& file = {}, int line = 0) {
    return {std::nullopt, error, file, line};
}

// Runs `call` and says how it ended. A call that returns nothing ends in "no record".
template <typename Call> Outcome outcomeOf(Call&& call) {
    try {
        if constexpr (std::is_void_v<decltype(call())>) {
            call();
            return {};
        } else {
            return {std::optional<qint16>(call()), 0, {}, 0};
        }
    } catch (const runtime::RuntimeError& e) {
        return errorOutcome(static_cast<int>(e.number()), e.file(), e.line());
    }
}

inline void PrintTo(const Outcome& outcome, std::ostream* os) {
    *os << outcome.describe();
}

} // namespace zunova::testing
