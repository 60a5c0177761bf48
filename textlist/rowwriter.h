#pragma once

#include "textcodec.h"
#include "textformat.h"

#include "list/listanswers.h"
#include "list/listpipeline.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QStringView>

#include <array>
#include <memory>
#include <string>

namespace zunova::textlist {

// Writes rows back in their list's format with two fields added after the row's last: the
// carrier (the column's name in the header row; nothing where the number got a warning or an
// error, or where the row has none) and the note, why a row has no carrier or what else is worth
// saying (備考 in the header row). Every other byte of a row stays as it was read. A row with
// fewer fields than most rows gets empty fields first, so the carriers stand in one column; a
// blank line, a row above the header, and what a quote that never closed took in are written as
// they were. A list that already ends in the carrier and note columns of an earlier run gets
// them written again in their place. An added field is quoted where the field before it is,
// or where it holds the delimiter, a quote or a line break. The one place rows are written, for
// the command line and the window alike.
class RowWriter {
public:
    explicit RowWriter(const Format& format);
    ~RowWriter();
    RowWriter(const RowWriter&) = delete;
    RowWriter& operator=(const RowWriter&) = delete;

    // What comes before the first row: the byte-order mark, where the file has one.
    QByteArray start() const;
    // Appends the row of bytes `content` and `lineEnd`, answered as `row` says, with `note` (as
    // list::listNote() makes it), in the list's encoding, to `out`. `answers` names each answer.
    void append(std::string& out, QByteArrayView content, QByteArrayView lineEnd,
                const list::ListRow& row, const list::AnswerTable& answers, const QString& note);

private:
    QByteArrayView carrierField(const list::ListRow& row, const list::AnswerTable& answers);
    QByteArrayView noteField(const QString& note);
    void appendField(std::string& to, QByteArrayView field, bool quoted);

    Format m_format;
    Codec m_codec;
    std::unique_ptr<Utf16Writer> m_utf16;
    std::string m_row; // a UTF-16 list's row in UTF-8 before it is encoded
    QByteArray m_carrierHeader;
    QByteArray m_noteHeader;
    // Each answer's field, and each note, in the list's encoding, once made: the same few come
    // back row after row.
    std::array<std::optional<QByteArray>, lookup::kAnswerIds> m_fields;
    QHash<QString, QByteArray> m_notes;
};

} // namespace zunova::textlist
