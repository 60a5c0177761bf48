// The one-read index, and a list's answers, against the one-by-one scan over arbitrary data-file
// bytes and numbers.
// Input: byte 0 holds the count of numbers less one (low four bits) and, in bit 4, "no data file
// at all"; then positions 4 to 7 of each number, four bytes apiece; the rest is the file.
#include "fuzzsupport.h"

#include "list/listanswers.h"
#include "lookup/query.h"
#include "lookup/readonceindex.h"
#include "lookup/recordsource.h"
#include "support/answer.h"

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
        lookup::ReadOnceIndex index;
        lookup::ReadOnceIndex listIndex;
        list::ListAnswers list(listIndex); // as lists are answered: once per key
        lookup::FileScan scan;
        for (const QString& number : numbers) {
            const QString bulk = testing::describe(lookup::lookUp(number, index));
            const QString single = testing::describe(lookup::lookUp(number, scan));
            const QString listed = testing::describe(*list.table()[list.answer(number)]);
            if (bulk != single || listed != single) {
                std::fprintf(stderr, "number %s: bulk %s, list %s, one by one %s\n",
                             number.toUtf8().constData(), bulk.toUtf8().constData(),
                             listed.toUtf8().constData(), single.toUtf8().constData());
                fuzz::violated("bulk and one-by-one answers agree");
            }
        }
    }
    fuzz::require(fds.opened() == 0, "no data file stays open once the index goes");
    return 0;
}
