#include "query.h"

#include "runtime/conversion.h"

namespace zunova::lookup {

QString Carrier::name() const {
    return fixedText(networkAt(id / kMaxCarriers).carriers[std::size_t(id % kMaxCarriers)].name);
}

AnswerId answerId(const Answer& answer) {
    if (const auto* carrier = std::get_if<Carrier>(&answer))
        return carrier->id;
    if (const auto* warning = std::get_if<Warning>(&answer))
        return warning->id;
    // A data file's error names the file; the number's own names none.
    const QString& file = std::get<runtime::RuntimeError>(answer).file();
    for (int network = 0; network < kNetworkCount; ++network)
        if (file == networkAt(network).dataFile())
            return dataFileErrorAnswer(network);
    return kNumberErrorAnswer;
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
        // A code without a name, or no record at all, must not leave an old carrier on screen:
        // both show 不明.
        const int row = code ? network->carrierRow(*code) : int(network->carriers.size()) - 1;
        return Carrier{carrierAnswer(indexOf(*network), row)};
    } catch (const runtime::RuntimeError& error) {
        return error;
    }
}

int sameAnswerKey(QStringView number) {
    if (number.size() != 11 || number[0] != u'0' || number[2] != u'0')
        return -1;
    int key = 0;
    for (int i = 0; i < 11; ++i) {
        const int digit = number[i].unicode() - u'0';
        if (digit < 0 || digit > 9)
            return -1;
        if (i == 1 || (i >= 3 && i <= 6))
            key = key * 10 + digit;
    }
    return key;
}

} // namespace zunova::lookup
