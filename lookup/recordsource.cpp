#include "recordsource.h"

#include "runtime/recordreader.h"

namespace zunova::lookup {

std::optional<qint16> FileScan::codeOf(const QString& dataFileName, int block, int column) {
    runtime::RecordReader records(dataFileName);
    while (const auto record = records.next())
        if (record->key() == block)
            return record->code(column);
    return std::nullopt;
}

} // namespace zunova::lookup
