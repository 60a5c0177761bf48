#include "readonceindex.h"

#include <algorithm>

namespace zunova::lookup {

std::unique_ptr<ReadOnceIndex::FileRecords> ReadOnceIndex::open(const QString& dataFileName) {
    auto records = std::make_unique<FileRecords>();
    try {
        records->reader.emplace(dataFileName);
    } catch (const runtime::RuntimeError& error) {
        records->flaw = error;
    }
    return records;
}

void ReadOnceIndex::readUpTo(FileRecords& records, int block) {
    try {
        while (records.reader && !records.found[std::size_t(block)]) {
            const auto record = records.reader->next();
            if (!record) {
                records.reader.reset();
                break;
            }
            const qint16 key = record->key();
            if (!Network::holdsBlock(key) || records.found[std::size_t(key)])
                continue;
            records.found.set(std::size_t(key));
            std::ranges::copy(record->codes(), records.codes[std::size_t(key)].begin());
            // Once every block has its first record nothing later can change an answer, not
            // even a flaw.
            if (--records.missing == 0)
                records.reader.reset();
        }
    } catch (const runtime::RuntimeError& error) {
        records.flaw = error;
        records.reader.reset();
    }
}

ReadOnceIndex::FileRecords& ReadOnceIndex::recordsOf(const QString& dataFileName) {
    for (const File& file : m_files)
        if (file.name == dataFileName)
            return *file.records;
    m_files.push_back({dataFileName, open(dataFileName)});
    return *m_files.back().records;
}

std::optional<qint16> ReadOnceIndex::codeOf(const QString& dataFileName, int block, int column) {
    FileRecords& records = recordsOf(dataFileName);
    readUpTo(records, block);
    if (records.found[std::size_t(block)])
        return records.codes[std::size_t(block)].at(std::size_t(column));
    if (records.flaw)
        throw *records.flaw;
    return std::nullopt;
}

} // namespace zunova::lookup
