#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>
#include <span>

namespace zunova::lookup {

class WindowOps;

inline constexpr char16_t kLengthWarning[] = u"１１桁で入力してください。";
inline constexpr char16_t kNotMobileWarning[] = u"移動電話の番号ではありません。";
inline constexpr char16_t kUnidentified[] = u"不明";

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

    QString dataFile() const { return QString::fromUtf16(dataFileName); }
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
    explicit CarrierLookup(WindowOps& window)
        : m_window(window) {}

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
};

} // namespace zunova::lookup
