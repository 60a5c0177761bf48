#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace zunova::lookup {

class WindowOps;

inline constexpr char16_t kLengthWarning[] = u"１１桁で入力してください。";
inline constexpr char16_t kNotMobileWarning[] = u"移動電話の番号ではありません。";
inline constexpr char16_t kUnidentified[] = u"不明";

// The carrier's name for a code of a network kind ("k" cellular, "p" PHS), or nothing when the
// kind does not name that code.
std::optional<QString> carrierName(QStringView networkKind, std::optional<qint16> code);

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
