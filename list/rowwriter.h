#pragma once

#include "listformat.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <memory>
#include <utility>
#include <vector>

namespace zunova::list {

// The added column's name in the header row: the main window's caption for the carrier.
inline constexpr char16_t kCarrierColumnName[] = u"キャリア";

// Writes rows back in their file's format with one field added: the carrier, after the row's
// last field. Every other byte of a row stays as it was read. A row with fewer fields than most
// rows gets empty fields first, so the carriers stand in one column; a blank line stays blank.
class RowWriter {
public:
    explicit RowWriter(const Format& format);
    ~RowWriter();
    RowWriter(const RowWriter&) = delete;
    RowWriter& operator=(const RowWriter&) = delete;

    // What comes before the first row: the byte-order mark, where the file has one.
    QByteArray start() const;
    // Appends a row, in the file's encoding, to `out`. `fields` as the reader counted them.
    void append(QByteArray& out, QByteArrayView content, QByteArrayView lineEnd, int fields,
                QStringView carrier);
    // The same with the carrier already in the file's encoding (carrierField).
    void appendEncoded(QByteArray& out, QByteArrayView content, QByteArrayView lineEnd, int fields,
                       QByteArrayView carrier);
    // The same written straight into memory with room for roomFor() bytes, where the rows
    // need no re-encoding (writesInPlace()); returns the end of what was written.
    bool writesInPlace() const { return !m_utf16; }
    static qsizetype roomFor(QByteArrayView content, QByteArrayView lineEnd, int width,
                             QByteArrayView carrier) {
        return content.size() + width + 2 * carrier.size() + 2 + lineEnd.size();
    }
    char* write(char* to, QByteArrayView content, QByteArrayView lineEnd, int fields,
                QByteArrayView carrier) const;
    // A carrier's text in the file's encoding (UTF-8 for UTF-16 files, which are written
    // through it).
    QByteArrayView carrierField(QStringView text);

private:
    Format m_format;
    Codec m_codec;
    std::unique_ptr<Utf16Writer> m_utf16;
    QByteArray m_row; // a UTF-16 file's row in UTF-8 before it is written
    std::vector<std::pair<QString, QByteArray>> m_fields;
};

} // namespace zunova::list
