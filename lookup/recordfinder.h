#pragma once

#include "runtime/runtimeerror.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <bitset>
#include <memory>
#include <optional>
#include <vector>

namespace zunova::lookup {

// Where the query gets a number's carrier code from, when not from Hanbetsu's own scan.
class RecordFinder {
public:
    virtual ~RecordFinder() = default;
    // The same question and the same answer as CarrierLookup::Hanbetsu, errors included.
    virtual std::optional<qint16> find(const QString& InTn, const QString& syube) = 0;
};

// Answers many numbers from a single read of each data file, yet each exactly as a scan of its
// own would: the file is read once up to its first flaw (or its end) and the first record of
// every block is kept. A block found before the flaw is answered; any other number gets the
// flaw's error, as its own scan would have reached it; with no flaw it has no record. A file
// that cannot be opened gives its open error to every number that needs it. Position 4 to 7
// conversion errors come first, before any file is opened, as in Hanbetsu. Memory stays at one
// record per possible block whatever the file's size.
class DataFileIndex : public RecordFinder {
public:
    std::optional<qint16> find(const QString& InTn, const QString& syube) override;

private:
    // Positions 4 to 6 name at most the blocks 0 to 999.
    static constexpr int kBlocks = 1000;
    struct FileRecords {
        std::array<std::array<qint16, 10>, kBlocks> codes{};
        std::bitset<kBlocks> found;
        std::optional<runtime::RuntimeError> flaw;
    };
    static std::unique_ptr<FileRecords> read(const QString& syube);

    const FileRecords& recordsOf(const QString& syube);

    struct File {
        QString name;
        std::unique_ptr<FileRecords> records;
    };
    // One entry per data file name asked for: two in practice, so a list beats any map.
    std::vector<File> m_files;
};

} // namespace zunova::lookup
