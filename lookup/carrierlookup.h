#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>
#include <span>
#include <string>

namespace zunova::lookup {

class RecordFinder;
class WindowOps;

inline constexpr char16_t kLengthWarning[] = u"１１桁で入力してください。";
inline constexpr char16_t kNotMobileWarning[] = u"移動電話の番号ではありません。";
inline constexpr char16_t kUnidentified[] = u"不明";

// One of the fixed texts above as a QString, without copying it: queries come by the million
// on the command line.
inline QString fixedText(const char16_t* text) {
    return QString::fromRawData(reinterpret_cast<const QChar*>(text),
                                std::char_traits<char16_t>::length(text));
}

struct NamedCode {
    qint16 code;
    const char16_t* name;
};

// One row per mobile prefix: everything that depends on the network kind lives here.
struct Network {
    char16_t prefixDigit;         // the character in position 2 of its numbers
    char16_t kind;                // 'k' cellular, 'p' PHS
    const char16_t* dataFileName; // opened by this bare name in the working directory
    std::span<const NamedCode> carriers;

    QString dataFile() const { return fixedText(dataFileName); }
    // The carrier's name for a code, or nothing when this kind does not name it.
    std::optional<QString> carrierName(std::optional<qint16> code) const;
};

std::span<const Network> networks();
// The network whose numbers have `digit` in position 2, or nullptr.
const Network* networkForPrefix(QChar digit);
// The network of a kind letter ('k' or 'p'), or nullptr.
const Network* networkOfKind(QChar kind);

// Where a number's carrier code stands: its block (positions 4 to 6) and column (position 7).
struct BlockAndColumn {
    qint16 BlockNo;
    qint16 ColumnNo;
};
// Positions 4 to 7 convert only when every one is a digit (ASCII or full-width); anything else
// there is RuntimeError 13. Uses no file.
BlockAndColumn blockAndColumn(const QString& InTn);

// The carrier-lookup component the main window owns.
class CarrierLookup {
public:
    // With a `finder`, the query asks it for the carrier code instead of scanning the data file
    // itself (the command line answers many numbers from one read of each file); it must answer
    // exactly as Hanbetsu would.
    explicit CarrierLookup(WindowOps& window, RecordFinder* finder = nullptr)
        : m_window(window)
        , m_finder(finder) {}

    // The query: checks the entry text, picks the network kind and data file from the prefix,
    // looks the number up and writes the carrier into the result label. Run-time errors from the
    // lookup propagate to the caller.
    void Chousa();

    // The carrier code of the number's block in the data file `syube`, or nothing when the file
    // has no record for the block. Uses positions 4 to 7 of `InTn` only.
    static std::optional<qint16> Hanbetsu(const QString& InTn, const QString& syube);

private:
    void refuseAsNotMobile();

    WindowOps& m_window;
    RecordFinder* m_finder;
};

} // namespace zunova::lookup
