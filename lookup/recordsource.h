#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace zunova::lookup {

// Where the query gets a carrier code from.
class RecordSource {
public:
    virtual ~RecordSource() = default;
    // The code for seventh digit `column` (0 to 9) in the first record whose key is `block`
    // (0 to 999) in the data file `dataFileName`, or nothing when no record has that key.
    // Throws the RuntimeError a scan from the file's start meets before such a record.
    virtual std::optional<qint16> codeOf(const QString& dataFileName, int block, int column) = 0;
};

// Reads the file afresh for every lookup, from its start up to the first record of the block,
// and closes it again: what the window does, so a changed file is seen at once.
class FileScan final : public RecordSource {
public:
    std::optional<qint16> codeOf(const QString& dataFileName, int block, int column) override;
};

} // namespace zunova::lookup
