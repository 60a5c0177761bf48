// Bulk answers against one-by-one Hanbetsu answers over arbitrary data-file bytes and numbers.
// Input: byte 0 holds the count of numbers less one (low four bits) and, in bit 4, "no data file
// at all"; then positions 4 to 7 of each number, four bytes apiece; the rest is the file.
#include "fuzzsupport.h"

#include "lookup/carrierlookup.h"
#include "lookup/recordfinder.h"
#include "support/outcome.h"

#include <QFile>

#include <cstdint>

using namespace zunova;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::enterScratchDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::size_t count = (data[0] & 0x0f) + 1u;
    const bool noFile = (data[0] & 0x10) != 0;
    if (size < 1 + 4 * count)
        return 0;
    QStringList numbers;
    for (std::size_t i = 0; i < count; ++i)
        numbers << QStringLiteral("090") +
                       QString::fromLatin1(reinterpret_cast<const char*>(data) + 1 + 4 * i, 4) +
                       QStringLiteral("5678");
    const std::size_t fileStart = 1 + 4 * count;
    const QByteArray content(reinterpret_cast<const char*>(data) + fileStart,
                             qsizetype(size - fileStart));
    QFile::remove(QStringLiteral("k.dat"));
    if (!noFile) {
        QFile file(QStringLiteral("k.dat"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) < 0)
            fuzz::violated("writing the data file");
    }

    const fuzz::DescriptorCount fds;
    {
        lookup::DataFileIndex index;
        for (const QString& number : numbers) {
            const testing::Outcome bulk =
                testing::outcomeOf([&] { return index.find(number, QStringLiteral("k.dat")); });
            const testing::Outcome single = testing::outcomeOf(
                [&] { return lookup::CarrierLookup::Hanbetsu(number, QStringLiteral("k.dat")); });
            if (!(bulk == single)) {
                std::fprintf(stderr, "number %s: bulk %s, one by one %s\n",
                             number.toUtf8().constData(), bulk.describe().c_str(),
                             single.describe().c_str());
                fuzz::violated("bulk and one-by-one answers agree");
            }
        }
        fuzz::require(fds.opened() == 0, "no data file stays open while answering");
    }
    return 0;
}
