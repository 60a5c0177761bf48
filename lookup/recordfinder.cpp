#include "recordfinder.h"

#include "carrierlookup.h"

#include "runtime/datafile.h"
#include "runtime/sequentialreader.h"

#include <algorithm>

namespace zunova::lookup {

std::unique_ptr<DataFileIndex::FileRecords> DataFileIndex::read(const QString& syube) {
    auto records = std::make_unique<FileRecords>();
    try {
        // The file is closed again before the first answer is given.
        runtime::DataFile file(syube);
        runtime::SequentialReader reader(file.device(), syube);
        std::array<qint16, 11> record{};
        // Once every block has its first record nothing later can change an answer, not even a
        // flaw, so the rest of the file need not be read.
        int missing = kBlocks;
        while (missing > 0 && !reader.atEndOfData()) {
            reader.readInt16s(record);
            const qint16 key = record[0];
            if (key < 0 || key >= kBlocks || records->found[std::size_t(key)])
                continue;
            records->found.set(std::size_t(key));
            std::copy(record.begin() + 1, record.end(), records->codes[std::size_t(key)].begin());
            --missing;
        }
    } catch (const runtime::RuntimeError& error) {
        records->flaw = error;
    }
    return records;
}

const DataFileIndex::FileRecords& DataFileIndex::recordsOf(const QString& syube) {
    for (const File& file : m_files) {
        // The query names its files by the same fixed texts every time: the same characters at
        // the same address need no comparison.
        const bool same =
            (file.name.constData() == syube.constData() && file.name.size() == syube.size()) ||
            file.name == syube;
        if (same)
            return *file.records;
    }
    m_files.push_back({syube, read(syube)});
    return *m_files.back().records;
}

std::optional<qint16> DataFileIndex::find(const QString& InTn, const QString& syube) {
    const auto [BlockNo, ColumnNo] = blockAndColumn(InTn);
    // Digits in positions 4 to 6 never name another block; should that change, the scan stays
    // the authority.
    if (BlockNo < 0 || BlockNo >= kBlocks)
        return CarrierLookup::Hanbetsu(InTn, syube);

    const FileRecords& records = recordsOf(syube);
    if (records.found[std::size_t(BlockNo)])
        return records.codes[std::size_t(BlockNo)].at(std::size_t(ColumnNo));
    if (records.flaw)
        throw *records.flaw;
    return std::nullopt;
}

} // namespace zunova::lookup
