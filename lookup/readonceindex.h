#pragma once

#include "network.h"
#include "recordsource.h"

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
// its own would: the file is read once up to its first flaw (or its end) and the first record of
// every block is kept. A block found before the flaw is answered; any other number gets the
// flaw's error, as its own scan would have reached it; with no flaw it has no record. A file
// that cannot be opened gives its open error to every number that needs it. Memory stays at one
// record per possible block whatever the file's size.
class ReadOnceIndex final : public RecordSource {
public:
    std::optional<qint16> codeOf(const QString& dataFileName, int block, int column) override;

private:
    struct FileRecords {
        std::array<std::array<qint16, 10>, kBlockCount> codes{};
        std::bitset<kBlockCount> found;
        std::optional<runtime::RuntimeError> flaw;
    };
    static std::unique_ptr<FileRecords> read(const QString& dataFileName);

    const FileRecords& recordsOf(const QString& dataFileName);

    struct File {
        QString name;
        std::unique_ptr<FileRecords> records;
    };
    // One entry per data file name asked for: two in practice, so a list beats any map.
    std::vector<File> m_files;
};

} // namespace zunova::lookup
