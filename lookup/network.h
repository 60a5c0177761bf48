#pragma once

#include <QChar>
#include <QString>
#include <QtGlobal>

#include <span>
#include <string>

namespace zunova::lookup {

// One of the program's fixed texts as a QString, without copying it.
inline QString fixedText(const char16_t* text) {
    return QString::fromRawData(reinterpret_cast<const QChar*>(text),
                                qsizetype(std::char_traits<char16_t>::length(text)));
}

// What the carrier label shows for a code its kind names no carrier for, or a block with no record.
inline constexpr char16_t kUnidentified[] = u"不明";

// Positions 4 to 6 of a number name its block: three digits, 0 to 999, for every kind.
inline constexpr int kBlockCount = 1000;

struct NamedCode {
    qint16 code;
    const char16_t* name;
};

// One row per mobile prefix: everything that depends on the kind of network lives here.
struct Network {
    char16_t prefixDigit;         // the character in position 2 of its numbers
    char16_t letter;              // 'k' cellular, 'p' PHS
    const char16_t* name;         // "cellular", "PHS"
    const char16_t* dataFileName; // opened by this bare name in the working directory
    // The carriers its codes name; the last is 不明, also shown for a code without a name.
    std::span<const NamedCode> carriers;

    QString dataFile() const { return fixedText(dataFileName); }
    // The name of the carrier a code stands for, or nullptr when this kind names none.
    const char16_t* carrierName(qint16 code) const;
    // The row in `carriers` of what a code shows: its carrier, or 不明.
    int carrierRow(qint16 code) const;
    static constexpr bool holdsBlock(int key) { return key >= 0 && key < kBlockCount; }
};

inline constexpr int kNetworkCount = 2;
// The networks in table order: cellular, PHS.
const Network& networkAt(int index);
int indexOf(const Network& network);
// The network whose numbers have `digit` in position 2, or nullptr.
const Network* networkForPrefix(QChar digit);
// The network of a kind letter ('k' or 'p'), or nullptr.
const Network* networkOfLetter(QChar letter);
// The network whose data a file holds, judged by its name: the PHS file's name means PHS,
// any other name cellular.
const Network& networkOfDataFile(const QString& path);

} // namespace zunova::lookup
