#include "conversion.h"

#include "runtimeerror.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace zunova::runtime {
namespace {

[[noreturn]] void typeMismatch() {
    throw RuntimeError(ErrorNumber::TypeMismatch);
}
[[noreturn]] void overflow() {
    throw RuntimeError(ErrorNumber::Overflow);
}

int radixDigit(QChar c, int radix) {
    int d = digitValue(c.unicode());
    if (d < 0 && radix == 16) {
        const char16_t u = c.unicode();
        if (u >= u'a' && u <= u'f')
            d = 10 + (u - u'a');
        else if (u >= u'A' && u <= u'F')
            d = 10 + (u - u'A');
    }
    return d < radix ? d : -1;
}

qint16 checkedRange(std::int64_t value) {
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        overflow();
    return static_cast<qint16>(value);
}

// "&Hxxxx" / "&Oxxx": up to 16 bits reads as a 16-bit pattern (so &HFFFF is -1), up to 32 bits
// as a 32-bit pattern that must then fit the 16-bit range.
qint16 fromRadixForm(QStringView body) {
    if (body.size() < 2)
        typeMismatch();
    const QChar tag = body[0].toUpper();
    const int radix = tag == u'H' ? 16 : tag == u'O' ? 8 : 0;
    if (radix == 0)
        typeMismatch();
    std::uint64_t value = 0;
    bool tooWide = false;
    for (QChar c : body.mid(1)) {
        const int d = radixDigit(c, radix);
        if (d < 0)
            typeMismatch();
        if (!tooWide) {
            value = value * radix + d;
            tooWide = value > 0xFFFFFFFFu;
        }
    }
    if (tooWide)
        overflow();
    if (value <= 0xFFFFu)
        return static_cast<qint16>(static_cast<std::uint16_t>(value));
    return checkedRange(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

qint16 fromDecimalForm(QStringView body) {
    qsizetype i = 0;
    bool negative = false;
    if (i < body.size() && (body[i] == u'+' || body[i] == u'-'))
        negative = body[i++] == u'-';

    // Significant digits in order, and how many of them stand before the decimal point.
    std::vector<std::uint8_t> digits;
    std::int64_t pointPos = 0;
    bool seenPoint = false;
    bool anyDigit = false;
    for (; i < body.size(); ++i) {
        const int d = digitValue(body[i].unicode());
        if (d >= 0) {
            anyDigit = true;
            if (digits.empty() && d == 0) {
                if (seenPoint)
                    --pointPos; // a zero right after the point only shifts the value
                continue;
            }
            digits.push_back(static_cast<std::uint8_t>(d));
            if (!seenPoint)
                ++pointPos;
        } else if (body[i] == u'.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        typeMismatch();

    if (i < body.size()) {
        const char16_t e = body[i].toLower().unicode();
        if (e != u'e' && e != u'd')
            typeMismatch();
        ++i;
        bool expNegative = false;
        if (i < body.size() && (body[i] == u'+' || body[i] == u'-'))
            expNegative = body[i++] == u'-';
        if (i == body.size())
            typeMismatch();
        std::int64_t exponent = 0;
        for (; i < body.size(); ++i) {
            const int d = digitValue(body[i].unicode());
            if (d < 0)
                typeMismatch();
            // Saturate: anything this large over- or underflows whatever the mantissa.
            exponent = std::min<std::int64_t>(exponent * 10 + d, 1'000'000'000);
        }
        pointPos += expNegative ? -exponent : exponent;
    }

    if (digits.empty())
        return 0;
    if (pointPos > 5) // the integer part has six or more digits
        overflow();

    std::int64_t value = 0;
    for (std::int64_t k = 0; k < pointPos; ++k)
        value = value * 10 + (k < std::ssize(digits) ? digits[k] : 0);

    // Round half to even on the fraction.
    if (pointPos >= 0 && pointPos < std::ssize(digits)) {
        const int first = digits[pointPos];
        bool restNonZero = false;
        for (auto k = pointPos + 1; k < std::ssize(digits) && !restNonZero; ++k)
            restNonZero = digits[k] != 0;
        if (first > 5 || (first == 5 && (restNonZero || value % 2 == 1)))
            ++value;
    }
    return checkedRange(negative ? -value : value);
}

} // namespace

QStringView withoutSurroundingSpaces(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.sliced(begin, end - begin);
}

qint16 to16BitInteger(QStringView text) {
    const QStringView body = withoutSurroundingSpaces(text);
    if (body.isEmpty())
        typeMismatch();
    if (body[0] == u'&')
        return fromRadixForm(body.mid(1));
    return fromDecimalForm(body);
}

} // namespace zunova::runtime
