#include "recordreader.h"

namespace zunova::runtime {

RecordReader::RecordReader(const QString& fileName)
    : m_file(std::in_place, fileName)
    , m_fields(m_file->device(), fileName) {}

RecordReader::RecordReader(QIODevice& device, QString sourceName)
    : m_fields(device, std::move(sourceName)) {}

std::optional<Record> RecordReader::next() {
    // Read straight into the record handed back: copying fields just stored two bytes at a time
    // stalls the processor on every record of a long file.
    std::optional<Record> record(std::in_place);
    record->line = m_fields.readRecord(record->fields);
    if (record->line == 0)
        record.reset();
    return record;
}

} // namespace zunova::runtime
