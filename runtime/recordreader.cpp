#include "recordreader.h"

namespace zunova::runtime {

RecordReader::RecordReader(const QString& fileName)
    : m_file(std::in_place, fileName)
    , m_fields(m_file->device(), fileName) {}

RecordReader::RecordReader(QIODevice& device, QString sourceName)
    : m_fields(device, std::move(sourceName)) {}

std::optional<Record> RecordReader::next() {
    Record record;
    record.line = m_fields.readRecord(record.fields);
    if (record.line == 0)
        return std::nullopt;
    return record;
}

} // namespace zunova::runtime
