// The record lookup over arbitrary data-file bytes and an arbitrary number text.
// Input: the first 7 bytes are positions 1 to 7 of the number, the rest is the file.
#include "fuzzsupport.h"

#include "lookup/carrierlookup.h"
#include "runtime/sequentialreader.h"

#include <QBuffer>
#include <QFile>

#include <cstdint>
#include <set>
#include <string>

using namespace zunova;

namespace {

// Every value the reader yields from the file's records, in any position, up to its first fault.
std::set<qint16> valuesInFile(const QByteArray& content) {
    QBuffer buffer;
    buffer.setData(content);
    buffer.open(QIODevice::ReadOnly);
    runtime::SequentialReader reader(buffer, QStringLiteral("k.dat"));
    std::set<qint16> values;
    try {
        while (!reader.atEndOfData())
            for (int field = 0; field < 11; ++field)
                values.insert(reader.readInt16());
    } catch (const runtime::RuntimeError&) {
    }
    return values;
}

bool isPlainDecimalFile(const QByteArray& content) {
    for (char c : content)
        if (!((c >= '0' && c <= '9') || c == ',' || c == '\r' || c == '\n'))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::enterScratchDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 7)
        return 0;
    const QString number =
        QString::fromLatin1(reinterpret_cast<const char*>(data), 7) + QStringLiteral("5678");
    const QByteArray content(reinterpret_cast<const char*>(data) + 7, qsizetype(size - 7));
    {
        QFile file(QStringLiteral("k.dat"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) < 0)
            fuzz::violated("writing the data file");
    }

    const fuzz::DescriptorCount fds;
    try {
        const std::optional<qint16> code =
            lookup::CarrierLookup::Hanbetsu(number, QStringLiteral("k.dat"));
        if (code) {
            fuzz::require(valuesInFile(content).count(*code) == 1, "the code is one of the file's");
            // An empty field reads as 0 without a 0 being written.
            if (isPlainDecimalFile(content) && *code != 0)
                fuzz::require(content.contains(QByteArray::number(*code)),
                              "the code is written in the file");
        }
    } catch (const runtime::RuntimeError& e) {
        fuzz::require(fuzz::isDocumentedError(e), "only documented errors");
    }
    fuzz::require(fds.opened() == 0, "the data file is closed afterwards");
    return 0;
}
