#pragma once

#include "lookup/query.h"

#include <QString>

namespace zunova::testing {

// An answer in words, so tables state answers as text and failures read plainly:
// "carrier ａｕ", "warning １１桁で入力してください。", "error 62 k.dat:2" ("error 13" when the
// fault lies in the number).
inline QString describe(const lookup::Answer& answer) {
    if (const auto* carrier = std::get_if<lookup::Carrier>(&answer))
        return QStringLiteral("carrier ") + carrier->name();
    if (const auto* warning = std::get_if<lookup::Warning>(&answer))
        return QStringLiteral("warning ") + lookup::fixedText(warning->text);
    const auto& error = std::get<runtime::RuntimeError>(answer);
    QString text = QStringLiteral("error %1").arg(static_cast<int>(error.number()));
    if (!error.file().isEmpty())
        text += u' ' + error.file() +
                (error.line() > 0 ? QStringLiteral(":%1").arg(error.line()) : QString());
    return text;
}

} // namespace zunova::testing
