#include "query.h"

#include "runtime/conversion.h"

#include <string_view>

namespace zunova::lookup {

// By their texts: a text written in two places need not lie at one address.
bool Carrier::operator==(const Carrier& other) const {
    return name == other.name || std::u16string_view(name) == std::u16string_view(other.name);
}

bool Warning::operator==(const Warning& other) const {
    return std::u16string_view(text) == std::u16string_view(other.text);
}

Answer lookUp(QStringView enteredNumber, RecordSource& records) {
    if (enteredNumber.size() != 11)
        return kWrongLength;
    if (enteredNumber[0] != u'0' || enteredNumber[2] != u'0')
        return kNotMobile;
    const Network* network = networkForPrefix(enteredNumber[1]);
    if (!network)
        return kNotMobile;

    // Converting " 12" or "+12" would answer for a number nobody typed: only digits name a block.
    int digits[4];
    for (int i = 0; i < 4; ++i) {
        digits[i] = runtime::digitValue(enteredNumber[3 + i].unicode());
        if (digits[i] < 0)
            return runtime::RuntimeError(runtime::ErrorNumber::TypeMismatch);
    }
    const int block = digits[0] * 100 + digits[1] * 10 + digits[2];
    const int column = digits[3];

    try {
        const std::optional<qint16> code = records.codeOf(network->dataFile(), block, column);
        const char16_t* name = code ? network->carrierName(*code) : nullptr;
        // A code without a name, or no record at all, must not leave an old carrier on screen.
        return Carrier{name ? name : kUnidentified};
    } catch (const runtime::RuntimeError& error) {
        return error;
    }
}

} // namespace zunova::lookup
