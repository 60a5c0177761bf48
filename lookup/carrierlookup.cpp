#include "carrierlookup.h"

#include "windowops.h"

#include "runtime/conversion.h"
#include "runtime/datafile.h"
#include "runtime/sequentialreader.h"

#include <array>

namespace zunova::lookup {
namespace {

struct CarrierName {
    char16_t kind;
    qint16 code;
    const char16_t* name;
};

constexpr std::array kCarrierNames{
    CarrierName{u'k', 1, u"ＮＴＴドコモ"}, CarrierName{u'k', 2, u"ａｕ"},
    CarrierName{u'k', 3, u"J-Phone"},      CarrierName{u'k', 4, u"TuKa"},
    CarrierName{u'k', 9, kUnidentified},   CarrierName{u'p', 1, u"ドコモ"},
    CarrierName{u'p', 2, u"ＤＤＩ"},       CarrierName{u'p', 3, u"アステル"},
    CarrierName{u'p', 9, kUnidentified},
};

} // namespace

std::optional<QString> carrierName(QStringView networkKind, std::optional<qint16> code) {
    if (!code || networkKind.size() != 1)
        return std::nullopt;
    for (const CarrierName& entry : kCarrierNames) {
        if (entry.kind == networkKind[0] && entry.code == *code)
            return QString::fromUtf16(entry.name);
    }
    return std::nullopt;
}

std::optional<qint16> CarrierLookup::Hanbetsu(const QString& InTn, const QString& syube) {
    // Both conversions come before the file is touched, so a typo never opens it.
    const qint16 BlockNo = runtime::to16BitInteger(QStringView(InTn).mid(3, 3));
    const qint16 ColumnNo = runtime::to16BitInteger(QStringView(InTn).mid(6, 1));

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

    QString DataFileName;
    QString NetworkKind;
    if (TelNumber[1] == u'7') {
        DataFileName = QStringLiteral("p.dat");
        NetworkKind = QStringLiteral("p");
    } else if (TelNumber[1] == u'9') {
        DataFileName = QStringLiteral("k.dat");
        NetworkKind = QStringLiteral("k");
    } else {
        refuseAsNotMobile();
        return;
    }

    const std::optional<qint16> result = Hanbetsu(TelNumber, DataFileName);
    // A code without a name, or no record at all, must not leave the previous carrier on screen.
    m_window.setLabel4Caption(
        carrierName(NetworkKind, result).value_or(QString::fromUtf16(kUnidentified)));
}

void CarrierLookup::refuseAsNotMobile() {
    m_window.showWarning(QString::fromUtf16(kNotMobileWarning));
    m_window.setText1Text(QString());
    m_window.setLabel4Caption(QString());
}

} // namespace zunova::lookup
