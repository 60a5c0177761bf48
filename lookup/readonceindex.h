#pragma once

#include "network.h"
#include "recordsource.h"

#include "runtime/recordreader.h"
#include "runtime/runtimeerror.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <bitset>
#include <memory>
#include <optional>
#include <vector>

namespace zunova::lookup {

// Answers many numbers from a single read of each data file, yet each exactly as a FileScan of
// its own would. Each file is read from its start no further than the numbers asked for need:
// up to the first record of the block asked for, and later numbers resume where the reading
// stopped. The first record of every block met is kept. A block found before a flaw is
// answered; any other number gets the flaw's error, as its own scan would have reached it; with
// no flaw it has no record. A file that cannot be opened gives its open error to every number
// that needs it. Memory stays at one record per possible block whatever the file's size; a file
// stays open while its records are still being read.
class ReadOnceIndex final : public RecordSource {
public:
    std::optional<qint16> codeOf(const QString& dataFileName, int block, int column) override;

private:
    struct FileRecords {
        std::array<std::array<qint16, 10>, kBlockCount> codes{};
        std::bitset<kBlockCount> found;
        int missing = kBlockCount; // blocks without a record yet
        std::optional<runtime::RuntimeError> flaw;
        // Open until the file is read to its end, to a flaw, or every block has its record.
        std::optional<runtime::RecordReader> reader;
    };
    static std::unique_ptr<FileRecords> open(const QString& dataFileName);
    // Reads on until `block` has its record or nothing more can be learnt from the file.
    static void readUpTo(FileRecords& records, int block);

    FileRecords& recordsOf(const QString& dataFileName);

    struct File {
        QString name;
        std::unique_ptr<FileRecords> records;
    };
    // One entry per data file name asked for: two in practice, so a list beats any map.
    std::vector<File> m_files;
};

} // namespace zunova::lookup
