#include "carrierlookup.h"

#include "recordfinder.h"
#include "windowops.h"

#include "runtime/conversion.h"
#include "runtime/datafile.h"
#include "runtime/runtimeerror.h"
#include "runtime/sequentialreader.h"

#include <algorithm>
#include <array>

namespace zunova::lookup {
namespace {

constexpr std::array<NamedCode, 5> kCellularNames{{
    {1, u"ＮＴＴドコモ"},
    {2, u"ａｕ"},
    {3, u"J-Phone"},
    {4, u"TuKa"},
    {9, kUnidentified},
}};
constexpr std::array<NamedCode, 4> kPhsNames{{
    {1, u"ドコモ"},
    {2, u"ＤＤＩ"},
    {3, u"アステル"},
    {9, kUnidentified},
}};

constexpr std::array<Network, 2> kNetworks{{
    {u'9', u'k', u"k.dat", kCellularNames},
    {u'7', u'p', u"p.dat", kPhsNames},
}};

} // namespace

std::optional<QString> Network::carrierName(std::optional<qint16> code) const {
    if (!code)
        return std::nullopt;
    const auto entry = std::ranges::find(carriers, *code, &NamedCode::code);
    if (entry == carriers.end())
        return std::nullopt;
    return fixedText(entry->name);
}

std::span<const Network> networks() {
    return kNetworks;
}

const Network* networkForPrefix(QChar digit) {
    const auto row = std::ranges::find(kNetworks, digit.unicode(), &Network::prefixDigit);
    return row == kNetworks.end() ? nullptr : &*row;
}

const Network* networkOfKind(QChar kind) {
    const auto row = std::ranges::find(kNetworks, kind.unicode(), &Network::kind);
    return row == kNetworks.end() ? nullptr : &*row;
}

BlockAndColumn blockAndColumn(const QString& InTn) {
    // The conversion alone would read " 12" or "+12" as block 12 and answer for a number nobody
    // typed; only digits name a block.
    const QStringView digits = QStringView(InTn).mid(3, 4);
    const auto isDigit = [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'\uFF10' && c <= u'\uFF19');
    };
    if (digits.size() != 4 || !std::ranges::all_of(digits, isDigit))
        throw runtime::RuntimeError(runtime::ErrorNumber::TypeMismatch);
    return {runtime::to16BitInteger(digits.first(3)), runtime::to16BitInteger(digits.sliced(3))};
}

std::optional<qint16> CarrierLookup::Hanbetsu(const QString& InTn, const QString& syube) {
    // Both conversions come before the file is touched, so a typo never opens it.
    const auto [BlockNo, ColumnNo] = blockAndColumn(InTn);

    runtime::DataFile file(syube);
    runtime::SequentialReader reader(file.device(), syube);
    // A record is the block key followed by the codes for seventh digits 0 to 9.
    std::array<qint16, 11> record{};
    while (!reader.atEndOfData()) {
        reader.readInt16s(record);
        const qint16 RecordKey = record[0];
        if (RecordKey == BlockNo)
            return record.at(1 + static_cast<std::size_t>(ColumnNo));
    }
    return std::nullopt;
}

void CarrierLookup::Chousa() {
    const QString TelNumber = m_window.text1Text();
    if (TelNumber.size() != 11) {
        m_window.showWarning(QString::fromUtf16(kLengthWarning));
        return;
    }
    if (TelNumber[0] != u'0' || TelNumber[2] != u'0') {
        refuseAsNotMobile();
        return;
    }

    const Network* network = networkForPrefix(TelNumber[1]);
    if (!network) {
        refuseAsNotMobile();
        return;
    }
    const QString DataFileName = network->dataFile();

    const std::optional<qint16> result =
        m_finder ? m_finder->find(TelNumber, DataFileName) : Hanbetsu(TelNumber, DataFileName);
    // A code without a name, or no record at all, must not leave the previous carrier on screen.
    m_window.setLabel4Caption(network->carrierName(result).value_or(fixedText(kUnidentified)));
}

void CarrierLookup::refuseAsNotMobile() {
    m_window.showWarning(QString::fromUtf16(kNotMobileWarning));
    m_window.setText1Text(QString());
    m_window.setLabel4Caption(QString());
}

} // namespace zunova::lookup
