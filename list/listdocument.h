#pragma once

#include "listanswers.h"
#include "listformat.h"
#include "rowwriter.h"

#include "lookup/recordsource.h"

#include <QByteArray>
#include <QIODevice>
#include <QStringList>

#include <array>
#include <optional>
#include <variant>
#include <vector>

namespace zunova::list {

// A list held whole in memory: the window's table, and what its 保存 writes. Rows are kept as
// places in the data with their kind and answer; their fields are read again only for the rows
// on screen.
class ListDocument {
public:
    // More rows than this are for the command line, which streams them.
    static constexpr qsizetype kMaxRows = 10'000'000;

    struct Row {
        quint32 offset; // of its content among the working bytes: lists held are under 4 GiB
        quint32 line;   // the line it starts on, from 1
        qint32 fields;  // 0 for a blank line
        quint8 lineEndSize;
        RowKind kind;
        lookup::AnswerId answer; // for a number row
        bool zeroRestored;       // its number's leading zero, dropped by a spreadsheet, put back
    };

    // A quote that opened and never closed: the line it opened on and how many lines it took in.
    struct UnclosedQuote {
        qint64 line;
        qint64 lines;
    };

    struct Options {
        std::optional<Encoding> encoding;
        ColumnChoice column;
        std::optional<char> delimiter; // as detect() takes it
        bool sheet = false; // a workbook's sheet as text, whose rows' field counts say nothing
    };

    // Reads a list from the bytes of a file or of pasted text, every row's number answered
    // through `records` as lookup::lookUp answers it (numbers alike asked once, so `records`
    // must not change meanwhile: a ReadOnceIndex). Stops when `progress` is cancelled.
    static std::variant<ListDocument, ReadOutcome> read(const QByteArray& data,
                                                        const Options& options,
                                                        lookup::RecordSource& records,
                                                        Progress& progress);

    const Format& format() const { return m_format; }
    const std::vector<Row>& rows() const { return m_rows; }
    const AnswerTable& answers() const { return m_answers; }
    // How many number rows got each answer, by its identity, and how many rows had no number.
    const std::array<qint64, lookup::kAnswerIds>& counts() const { return m_counts; }
    qint64 rowsWithoutNumber() const { return m_rowsWithoutNumber; }
    // Where the list's last row is a quote that never closes.
    const std::optional<UnclosedQuote>& unclosedQuote() const { return m_unclosedQuote; }
    // The most fields a row has.
    int widest() const { return m_widest; }
    // The header row's index, or -1.
    qsizetype headerIndex() const { return m_headerIndex; }
    // The bytes as given, which a re-read in another encoding or column starts from.
    const QByteArray& data() const { return m_data; }
    // Read from a workbook's sheet.
    bool isSheet() const { return m_sheet; }

    // The row at `index` with its bytes.
    ListRow row(qsizetype index) const;
    // Its fields, read from its bytes.
    QStringList fields(qsizetype index, Codec& codec) const;
    // The carrier field a row gets: the carrier's name, the column's name in the header row,
    // nothing for a warning or an error.
    QString carrierOf(qsizetype index) const;
    // Its note (rowNote).
    QString noteOf(qsizetype index) const;
    // A number row's number as the query read it.
    QString enteredNumber(qsizetype index) const;

    // Writes the rows with their carriers in the list's own format, as the command line does.
    // False when cancelled or when `out` fails.
    bool write(QIODevice& out, Progress& progress) const;

private:
    class Sink;

    QByteArray m_data;    // as given
    QByteArray m_working; // what the rows are read from: m_data itself, or UTF-16 as UTF-8
    qsizetype m_workingStart = 0;
    Format m_format;
    std::vector<Row> m_rows;
    qsizetype m_headerIndex = -1;
    AnswerTable m_answers;
    std::array<qint64, lookup::kAnswerIds> m_counts{};
    qint64 m_rowsWithoutNumber = 0;
    std::optional<UnclosedQuote> m_unclosedQuote;
    int m_widest = 0;
    bool m_sheet = false;
};

// What a row's note column says, as the window shows it and a workbook's copy holds it: the
// warning or error its number got, as its box would say it; a row without a number; a dropped
// zero put back; a field count other than `width`, most rows' (none where `width` is 0).
QString rowNote(const ListRow& row, const AnswerTable& answers, int width);

} // namespace zunova::list
