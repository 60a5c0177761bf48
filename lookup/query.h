#pragma once

#include "network.h"
#include "recordsource.h"

#include "runtime/runtimeerror.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <variant>

namespace zunova::lookup {

// The number names a carrier: show its name (不明 where its code or block names none).
struct Carrier {
    const char16_t* name;

    bool operator==(const Carrier& other) const;
};

// The number is refused with a warning box.
struct Warning {
    const char16_t* text;
    bool emptiesEntry; // after the box, the number and the carrier label are emptied

    bool operator==(const Warning& other) const;
};
inline constexpr Warning kWrongLength{u"１１桁で入力してください。", false};
inline constexpr Warning kNotMobile{u"移動電話の番号ではありません。", true};

// Everything a front must do for one entered number: show a carrier, warn, or report the
// run-time error the lookup met (its number, text, and where known the data file and line).
using Answer = std::variant<Carrier, Warning, runtime::RuntimeError>;

// The query. Checks the entered text (its length, then the prefix 0x0 of a mobile network),
// picks the network from position 2, the block and column from positions 4 to 7, and asks
// `records` for the carrier code in that network's data file. Positions 4 to 7 name a block only
// when all four are digits; anything else there is error 13 before any file is read.
// Positions 8 to 11 are never looked at.
Answer lookUp(QStringView enteredNumber, RecordSource& records);

// What lookUp reads of a number of eleven ASCII digits that starts 0x0: the network's digit and
// positions 4 to 7, as one key below kSameAnswerKeys. Two such numbers with one key get the same
// answer from records that do not change between them, so a long list is looked up once a key.
// -1 for any other text.
inline constexpr int kSameAnswerKeys = 100'000;
inline int sameAnswerKey(QByteArrayView number) {
    if (number.size() != 11 || number[0] != '0' || number[2] != '0')
        return -1;
    int key = 0;
    for (int i = 0; i < 11; ++i) {
        const int digit = number[i] - '0';
        if (digit < 0 || digit > 9)
            return -1;
        if (i == 1 || (i >= 3 && i <= 6))
            key = key * 10 + digit;
    }
    return key;
}

} // namespace zunova::lookup
