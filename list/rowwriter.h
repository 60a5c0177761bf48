#pragma once

#include "listanswers.h"
#include "listformat.h"

#include "lookup/query.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <array>
#include <memory>
#include <string>

namespace zunova::list {

// The added column's name in the header row: the main window's caption for the carrier.
inline constexpr char16_t kCarrierColumnName[] = u"キャリア";

// What a row of a list is.
enum class RowKind : quint8 {
    Blank,    // nothing but spaces and tabs
    Header,   // the first row that is not blank, where the list has a header
    Number,   // a row with a number: it is answered
    NoNumber, // a row whose number cell is empty (or missing)
    Unclosed, // what a quote that never closes took in, to the end of the list: written back
              // as it is, nothing added
};

// A row as the list's fronts get it: its bytes as read, what it is and, for a number row, its
// answer and the number as given. Views valid only while the call that hands it on runs.
struct ListRow {
    QByteArrayView content; // without its line end
    QByteArrayView lineEnd;
    qint64 line = 0; // the line it starts on, from 1
    int fields = 0;  // 0 for a blank line
    RowKind kind = RowKind::Blank;
    lookup::AnswerId answer = 0; // for a number row
    bool zeroRestored = false;   // its number's leading zero, dropped by a spreadsheet, put back
};

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
    // Appends `row`, in the list's encoding, to `out`. `answers` names each answer given.
    void append(std::string& out, const ListRow& row, const AnswerTable& answers);

private:
    QByteArrayView addedField(const ListRow& row, const AnswerTable& answers);

    Format m_format;
    Codec m_codec;
    std::unique_ptr<Utf16Writer> m_utf16;
    std::string m_row; // a UTF-16 list's row in UTF-8 before it is encoded
    QByteArray m_header;
    // Each answer's field in the list's encoding, once made: the same few come back every row.
    std::array<std::optional<QByteArray>, lookup::kAnswerIds> m_fields;
};

} // namespace zunova::list
