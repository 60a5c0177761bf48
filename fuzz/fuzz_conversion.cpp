// Text-to-integer conversion over arbitrary text, checked against a plain reference for
// plain decimal text.
#include "fuzzsupport.h"

#include "runtime/conversion.h"

#include <QRegularExpression>

#include <cstdint>
#include <optional>

using namespace zunova;

namespace {

// Reference for text matching " *[+-]?[0-9]+ *": the value, or nothing for an overflow.
std::optional<std::optional<int>> reference(const QString& text) {
    static const QRegularExpression plain(
        QRegularExpression::anchoredPattern(QStringLiteral(" *([+-]?)0*([0-9]+?) *")));
    const QRegularExpressionMatch m = plain.match(text);
    if (!m.hasMatch())
        return std::nullopt; // not plain decimal: no reference
    const QString digits = m.captured(2);
    if (digits.size() > 5)
        return std::optional<int>();
    const int magnitude = digits.toInt();
    const int value = m.captured(1) == u'-' ? -magnitude : magnitude;
    if (value < -32768 || value > 32767)
        return std::optional<int>();
    return std::optional<int>(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    std::optional<int> got;
    int error = 0;
    try {
        got = runtime::to16BitInteger(text);
    } catch (const runtime::RuntimeError& e) {
        error = static_cast<int>(e.number());
    }
    fuzz::require(error == 0 || error == 6 || error == 13, "only overflow or type mismatch");

    if (const auto expected = reference(text)) {
        if (*expected)
            fuzz::require(error == 0 && got == **expected, "agrees with the plain reference");
        else
            fuzz::require(error == 6, "overflow where the reference overflows");
    }
    if (text.size() == 1) {
        const char16_t u = text[0].unicode();
        const bool digit = (u >= u'0' && u <= u'9') || (u >= 0xFF10 && u <= 0xFF19);
        fuzz::require(digit == (error == 0), "a single character converts only if a digit");
        if (digit)
            fuzz::require(*got >= 0 && *got <= 9, "a single digit is 0 to 9");
    }
    return 0;
}
