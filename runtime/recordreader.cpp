#include "recordreader.h"

#include <algorithm>

namespace zunova::runtime {

RecordReader::RecordReader(const QString& fileName)
    : m_file(std::in_place, fileName)
    , m_fields(m_file->device(), fileName) {}

RecordReader::RecordReader(QIODevice& device, QString sourceName)
    : m_fields(device, std::move(sourceName)) {}

std::optional<Record> RecordReader::next() {
    if (m_fields.atEndOfData())
        return std::nullopt;
    Record record;
    record.line = m_fields.line();
    std::array<qint16, 11> fields;
    m_fields.readFields(fields);
    record.key = fields[0];
    std::copy(fields.begin() + 1, fields.end(), record.codes.begin());
    return record;
}

} // namespace zunova::runtime
