#pragma once

#include "listanswers.h"
#include "listpipeline.h"
#include "problem.h"
#include "rowcounts.h"

#include <QIODevice>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace zunova::list {

class ListDocument;

// What a held list's rows are kept in, text or sheet: it gives a row's cells again when they
// are shown, and writes the list back with the carriers added.
class KeptRows {
public:
    virtual ~KeptRows() = default;
    // What turns its cells into text: one for each thread that reads them.
    virtual std::unique_ptr<CellDecoder> decoder() const = 0;
    // The cells of the document's row at `index`, as text.
    virtual QStringList cells(const ListDocument& document, qsizetype index,
                              CellDecoder& decoder) const = 0;
    // Writes the document's rows back with their carriers; stops when `progress` is cancelled.
    virtual Outcome write(const ListDocument& document, QIODevice& out,
                          Progress& progress) const = 0;
};

// A list held whole in memory: the window's table, and what its 保存 writes. Rows are kept as
// places in what they were read from, with their kind and answer; their cells are read again
// only for the rows on screen.
class ListDocument {
public:
    struct Row {
        quint32 place; // where its cells are kept: an offset among a text list's working bytes
                       // (lists held are under 4 GiB), or a sheet's row index
        quint32 line;  // the line it starts on, or its sheet row's number
        qint32 fields; // 0 for a blank row
        quint8 lineEndSize;
        RowKind kind;
        lookup::AnswerId answer; // for a number row
        quint8 marks;            // what else ListRow says of it, as Mark bits
    };
    enum Mark : quint8 { ZeroRestored = 1, Several = 2, ControlBytes = 4 };

    // A quote that opened and never closed: the line it opened on and how many lines it took in.
    struct UnclosedQuote {
        qint64 line;
        qint64 lines;
    };

    ListDocument(const Layout& layout, std::shared_ptr<const KeptRows> kept);

    // Building it, row after row as the pipeline answers them. False past kMaxRows: more are for
    // the command line, which streams them.
    void reserve(std::size_t rows);
    bool add(const ListRow& row, quint32 place, int lineEndSize = 0);
    void finish(const AnswerTable& answers, std::optional<UnclosedQuote> unclosed = {});

    const Layout& layout() const { return m_layout; }
    const std::vector<Row>& rows() const { return m_rows; }
    const AnswerTable& answers() const { return m_answers; }
    // How many of its rows got what.
    const RowCounts& counts() const { return m_counts; }
    // Where the list's last row is a quote that never closes.
    const std::optional<UnclosedQuote>& unclosedQuote() const { return m_unclosedQuote; }
    // The most cells a row has.
    int widest() const { return m_widest; }
    // The header row's index, or -1.
    qsizetype headerIndex() const { return m_headerIndex; }

    // The row at `index` as the pipeline made it.
    ListRow row(qsizetype index) const;
    // Its cells, read again, and what reads them: one for each thread.
    QStringList cells(qsizetype index, CellDecoder& decoder) const {
        return m_kept->cells(*this, index, decoder);
    }
    std::unique_ptr<CellDecoder> decoder() const { return m_kept->decoder(); }
    // The carrier cell a row gets: the carrier's name, the column's name in the header row,
    // nothing for a warning or an error.
    QString carrierOf(qsizetype index) const;
    // Its note, as a list's note column holds it.
    QString noteOf(qsizetype index) const;
    // A number row's number as the query read it.
    QString enteredNumber(qsizetype index) const;

    // Writes the rows with their carriers in the list's own form, as the command line does.
    Outcome write(QIODevice& out, Progress& progress) const {
        return m_kept->write(*this, out, progress);
    }

private:
    Layout m_layout;
    std::shared_ptr<const KeptRows> m_kept;
    std::vector<Row> m_rows;
    qsizetype m_headerIndex = -1;
    AnswerTable m_answers;
    RowCounts m_counts;
    std::optional<UnclosedQuote> m_unclosedQuote;
    int m_widest = 0;
};

} // namespace zunova::list
