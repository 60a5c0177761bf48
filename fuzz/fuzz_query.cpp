// The query over arbitrary UTF-16 entry text, against fixed data files.
#include "fuzzsupport.h"

#include "lookup/query.h"
#include "lookup/recordsource.h"
#include "runtime/conversion.h"

#include <QFile>

#include <algorithm>
#include <cstdint>

using namespace zunova;

namespace {

void writeFile(const char* name, const QByteArray& content) {
    QFile file(QString::fromLatin1(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) < 0)
        fuzz::violated("writing a data file");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::enterScratchDirectory();
    // Block b's column c holds code (b + c) % 11 in both files, for every block 0 to 999.
    QByteArray content;
    for (int b = 0; b < 1000; ++b) {
        content += QByteArray::number(b);
        for (int c = 0; c < 10; ++c)
            content += ',' + QByteArray::number((b + c) % 11);
        content += "\r\n";
    }
    writeFile("k.dat", content);
    writeFile("p.dat", content);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(data), qsizetype(size / 2));
    lookup::FileScan scan;
    const fuzz::DescriptorCount fds;
    const lookup::Answer answer = lookup::lookUp(text, scan);
    fuzz::require(fds.opened() == 0, "no data file left open");

    const auto* warning = std::get_if<lookup::Warning>(&answer);
    if (text.size() != 11) {
        fuzz::require(warning && *warning == lookup::kWrongLength, "wrong length: its warning");
        return 0;
    }
    const bool mobile = text[0] == u'0' && text[2] == u'0' && (text[1] == u'7' || text[1] == u'9');
    if (!mobile) {
        fuzz::require(warning && *warning == lookup::kNotMobile, "wrong prefix: its warning");
        return 0;
    }
    int digits[4];
    for (int i = 0; i < 4; ++i)
        digits[i] = runtime::digitValue(text[3 + i].unicode());
    if (std::ranges::any_of(digits, [](int d) { return d < 0; })) {
        const auto* error = std::get_if<runtime::RuntimeError>(&answer);
        fuzz::require(error && error->number() == runtime::ErrorNumber::TypeMismatch &&
                          error->file().isEmpty(),
                      "positions 4 to 7 not all digits: error 13, no file");
        return 0;
    }
    const int block = digits[0] * 100 + digits[1] * 10 + digits[2];
    const char16_t* name =
        lookup::networkForPrefix(text[1])->carrierName(qint16((block + digits[3]) % 11));
    const auto* carrier = std::get_if<lookup::Carrier>(&answer);
    fuzz::require(carrier &&
                      carrier->name() == lookup::fixedText(name ? name : lookup::kUnidentified),
                  "the carrier of the block and column");
    return 0;
}
