#pragma once

#include "textcodec.h"
#include "textformat.h"

#include "list/listanswers.h"
#include "list/listpipeline.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <array>
#include <memory>
#include <string>

namespace zunova::textlist {

// Writes rows back in their list's format with one field added after the row's last: the
// column's name in the header row, a number row's carrier (nothing where its number got a warning
// or an error, or where it has none). Every other byte of a row stays as it was read. A row with
// fewer fields than most rows gets empty fields first, so the carriers stand in one column; a
// blank line stays blank, and what a quote that never closed took in is written as it was.
// The added field is quoted where the field before it is. The one place rows are written, for
// the command line and the window alike.
class RowWriter {
public:
    explicit RowWriter(const Format& format);
    ~RowWriter();
    RowWriter(const RowWriter&) = delete;
    RowWriter& operator=(const RowWriter&) = delete;

    // What comes before the first row: the byte-order mark, where the file has one.
    QByteArray start() const;
    // Appends the row of bytes `content` and `lineEnd`, answered as `row` says, in the list's
    // encoding, to `out`. `answers` names each answer given.
    void append(std::string& out, QByteArrayView content, QByteArrayView lineEnd,
                const list::ListRow& row, const list::AnswerTable& answers);

private:
    QByteArrayView addedField(const list::ListRow& row, const list::AnswerTable& answers);

    Format m_format;
    Codec m_codec;
    std::unique_ptr<Utf16Writer> m_utf16;
    std::string m_row; // a UTF-16 list's row in UTF-8 before it is encoded
    QByteArray m_header;
    // Each answer's field in the list's encoding, once made: the same few come back every row.
    std::array<std::optional<QByteArray>, lookup::kAnswerIds> m_fields;
};

} // namespace zunova::textlist
