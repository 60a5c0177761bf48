#pragma once

#include "network.h"
#include "recordsource.h"

#include "runtime/runtimeerror.h"

#include <QString>
#include <QStringView>

#include <variant>

namespace zunova::lookup {

// Every answer the query gives has a small identity, in the order a list counts them: each
// network's carriers as its table lists them, the two warnings, then the errors (a number's own,
// and one for each network's data file). Answers with one identity are the same answer wherever
// the data files are read once (ReadOnceIndex), since a file read once has one error at most.
using AnswerId = quint8;
inline constexpr int kMaxCarriers = 8; // a network's carriers, 不明 included
constexpr AnswerId carrierAnswer(int network, int row) {
    return AnswerId(network * kMaxCarriers + row);
}
inline constexpr AnswerId kWrongLengthAnswer = kNetworkCount * kMaxCarriers;
inline constexpr AnswerId kNotMobileAnswer = kWrongLengthAnswer + 1;
inline constexpr AnswerId kNumberErrorAnswer = kNotMobileAnswer + 1;
constexpr AnswerId dataFileErrorAnswer(int network) {
    return AnswerId(kNumberErrorAnswer + 1 + network);
}
inline constexpr int kAnswerIds = dataFileErrorAnswer(kNetworkCount);

// The number names a carrier: show its name (不明 where its code or block names none).
struct Carrier {
    AnswerId id;

    QString name() const;
    bool operator==(const Carrier& other) const { return id == other.id; }
};

// The number is refused with a warning box.
struct Warning {
    AnswerId id;
    const char16_t* text;
    bool emptiesEntry; // after the box, the number and the carrier label are emptied

    bool operator==(const Warning& other) const { return id == other.id; }
};
inline constexpr Warning kWrongLength{kWrongLengthAnswer, u"１１桁で入力してください。", false};
inline constexpr Warning kNotMobile{kNotMobileAnswer, u"移動電話の番号ではありません。", true};

// Everything a front must do for one entered number: show a carrier, warn, or report the
// run-time error the lookup met (its number, text, and where known the data file and line).
using Answer = std::variant<Carrier, Warning, runtime::RuntimeError>;

AnswerId answerId(const Answer& answer);

// The query. Checks the entered text (its length, then the prefix 0x0 of a mobile network),
// picks the network from position 2, the block and column from positions 4 to 7, and asks
// `records` for the carrier code in that network's data file. Positions 4 to 7 name a block only
// when all four are digits; anything else there is error 13 before any file is read.
// Positions 8 to 11 are never looked at.
Answer lookUp(QStringView enteredNumber, RecordSource& records);

// What lookUp reads of a number of eleven ASCII digits that starts 0x0: the network's digit and
// positions 4 to 7, as one key below kSameAnswerKeys. Two such numbers with one key get the same
// answer from records that do not change between them, so a long list is looked up once a key.
// -1 for any other text. Kept for what it saves to `zunova --csv` and the list window on a long
// list (tools/bench-list.sh; doc/performance.md).
inline constexpr int kSameAnswerKeys = 100'000;
int sameAnswerKey(QStringView number);

} // namespace zunova::lookup
