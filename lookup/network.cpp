#include "network.h"

#include <QFileInfo>

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

constexpr std::array<Network, kNetworkCount> kNetworks{{
    {u'9', u'k', u"cellular", u"k.dat", kCellularNames},
    {u'7', u'p', u"PHS", u"p.dat", kPhsNames},
}};

template <auto Field> const Network* findNetwork(char16_t value) {
    const auto row = std::ranges::find(kNetworks, value, Field);
    return row == kNetworks.end() ? nullptr : &*row;
}

} // namespace

const char16_t* Network::carrierName(qint16 code) const {
    const auto entry = std::ranges::find(carriers, code, &NamedCode::code);
    return entry == carriers.end() ? nullptr : entry->name;
}

int Network::carrierRow(qint16 code) const {
    const auto entry = std::ranges::find(carriers, code, &NamedCode::code);
    return entry == carriers.end() ? int(carriers.size()) - 1 : int(entry - carriers.begin());
}

const Network& networkAt(int index) {
    return kNetworks.at(std::size_t(index));
}

int indexOf(const Network& network) {
    return int(&network - kNetworks.data());
}

const Network* networkForPrefix(QChar digit) {
    return findNetwork<&Network::prefixDigit>(digit.unicode());
}

const Network* networkOfLetter(QChar letter) {
    return findNetwork<&Network::letter>(letter.unicode());
}

const Network& networkOfDataFile(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const auto row = std::ranges::find_if(
        kNetworks, [&](const Network& network) { return name == network.dataFile(); });
    return row == kNetworks.end() ? *networkOfLetter(u'k') : *row;
}

} // namespace zunova::lookup
