#include "readonceindex.h"

#include "runtime/recordreader.h"

namespace zunova::lookup {

std::unique_ptr<ReadOnceIndex::FileRecords> ReadOnceIndex::read(const QString& dataFileName) {
    auto records = std::make_unique<FileRecords>();
    try {
        // The file is closed again before the first answer is given.
        runtime::RecordReader reader(dataFileName);
        // Once every block has its first record nothing later can change an answer, not even a
        // flaw, so the rest of the file need not be read.
        for (int missing = kBlockCount; missing > 0;) {
            const auto record = reader.next();
            if (!record)
                break;
            if (!Network::holdsBlock(record->key()) || records->found[std::size_t(record->key())])
                continue;
            records->found.set(std::size_t(record->key()));
            std::ranges::copy(record->codes(), records->codes[std::size_t(record->key())].begin());
            --missing;
        }
    } catch (const runtime::RuntimeError& error) {
        records->flaw = error;
    }
    return records;
}

const ReadOnceIndex::FileRecords& ReadOnceIndex::recordsOf(const QString& dataFileName) {
    // The query names its files by the same fixed texts every time: the same characters at the
    // same address need no comparison.
    for (const File& file : m_files)
        if (file.name.constData() == dataFileName.constData() &&
            file.name.size() == dataFileName.size())
            return *file.records;
    for (const File& file : m_files)
        if (file.name == dataFileName)
            return *file.records;
    m_files.push_back({dataFileName, read(dataFileName)});
    return *m_files.back().records;
}

std::optional<qint16> ReadOnceIndex::codeOf(const QString& dataFileName, int block, int column) {
    const FileRecords& records = recordsOf(dataFileName);
    if (records.found[std::size_t(block)])
        return records.codes[std::size_t(block)].at(std::size_t(column));
    if (records.flaw)
        throw *records.flaw;
    return std::nullopt;
}

} // namespace zunova::lookup
