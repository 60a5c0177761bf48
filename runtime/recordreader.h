#pragma once

#include "datafile.h"
#include "fieldreader.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <functional>
#include <optional>
#include <span>

namespace zunova::runtime {

// One record of a data file: a block key and the carrier codes of its numbers.
struct Record {
    int line = 0; // the line the record's first field stands on
    // As the file holds them: the block (positions 4 to 6 of the numbers it covers), then the
    // carrier codes for seventh digits 0 to 9.
    std::array<qint16, 11> fields{};

    qint16 key() const { return fields[0]; }
    qint16 code(int seventhDigit) const { return fields.at(1 + std::size_t(seventhDigit)); }
    std::span<const qint16, 10> codes() const { return std::span(fields).subspan<1, 10>(); }

    bool operator==(const Record&) const = default;
};

// Reads a data file's records one after another from its start, under the field rules of
// FieldReader. Every lookup, index and check reads data files through this, so they all meet
// the same records and the same faults at the same lines.
class RecordReader {
public:
    // Opens the data file `fileName` (see DataFile, whose errors it throws).
    explicit RecordReader(const QString& fileName);
    // Reads from an open device; errors name `sourceName`.
    RecordReader(QIODevice& device, QString sourceName);

    // The next record, or nothing once the data end. Throws RuntimeError where the data are
    // flawed: what every lookup that reads this far meets.
    std::optional<Record> next();

    // Once next() has given nothing: the line of the first data after a 0x1A that ended the data
    // early, data no lookup ever reads (FieldReader::lineOfDataAfterEndMark).
    std::optional<int> lineOfDataAfterEndMark() { return m_fields.lineOfDataAfterEndMark(); }

    // Called for every field from now on that is not written as a plain decimal integer
    // (FieldReader::setOddFieldHandler).
    void setOddFieldHandler(std::function<void(const OddField&)> handler) {
        m_fields.setOddFieldHandler(std::move(handler));
    }

private:
    std::optional<DataFile> m_file;
    FieldReader m_fields;
};

} // namespace zunova::runtime
