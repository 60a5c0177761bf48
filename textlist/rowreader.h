#pragma once

#include "list/cells.h"
#include "list/problem.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>
#include <QtGlobal>

#include <functional>
#include <memory>

namespace zunova::textlist {

// One row of a list, as views into the working bytes; valid only while the reader's callback runs.
struct Row {
    QByteArrayView content; // the row without its line end
    QByteArrayView lineEnd; // "\r\n", "\n", "\r", or nothing at the end of the data
    qint64 offset = 0;      // of its first byte among the working bytes
    qint64 line = 0;        // the line it starts on, from 1
    int fields = 0;         // 0 for a blank line: nothing but spaces and tabs
    list::CellsView cells;  // its fields, unquoted
    bool unclosed = false;  // a quote opened in it never closes: it runs to the end of the data
};

// Splits working bytes into rows. With a delimiter, rows and fields follow RFC 4180 as libcsv
// reads it: quoted fields may hold delimiters, doubled quotes and line breaks. Without one,
// every line is one field. Whatever the input, the rows' contents and line ends, one after
// another, are exactly the bytes read.
class RowReader {
public:
    // UnclosedQuote: read whole, but a quote opened in the last row never closes (the row was
    // handed on, marked unclosed).
    enum class Status { Done, Stopped, RowTooLong, UnclosedQuote };
    using Each = std::function<bool(const Row&)>;

    // `delimiter` ',', '\t' or ';', or 0 for one field a line.
    explicit RowReader(char delimiter);
    ~RowReader();
    RowReader(const RowReader&) = delete;
    RowReader& operator=(const RowReader&) = delete;

    // Reads the next piece of working bytes and calls `each` for every row completed, until it
    // returns false (Stopped). With `last`, the data end after this piece. A row may run over
    // many pieces.
    Status read(QByteArrayView working, bool last, const Each& each);
    // The line the row being read starts on: where a RowTooLong or an unclosed quote lies.
    qint64 rowLine() const { return m_rowLine; }
    // How many lines that row has taken in so far; more than one where a quote left open runs
    // over line ends.
    qint64 rowLines() const {
        return m_line - m_rowLine + (!m_tail.isEmpty() || m_endedMidLine ? 1 : 0);
    }
    // The line the next byte read stands on.
    qint64 nextLine() const { return m_line; }
    // Whether the data read so far end inside a row, which the next piece goes on with.
    bool inRow() const { return !m_pending.isEmpty() || !m_tail.isEmpty(); }

private:
    bool takeLine(QByteArrayView whole, qsizetype lineEndSize, const Each& each);
    bool takePiece(QByteArrayView piece, qsizetype lineEndSize, const Each& each);
    bool deliver(QByteArrayView whole, qsizetype lineEndSize, int fields, const Each& each);
    Status finish(const Each& each);

    static void onField(void* field, std::size_t size, void* self);
    static void onRowEnd(int, void* self);

    char m_delimiter;
    struct Parser;
    std::unique_ptr<Parser> m_parser;
    QByteArray m_tail;    // a piece whose line end has not come yet
    QByteArray m_pending; // the pieces of a row that runs over line breaks in quotes
    qint64 m_offset = 0;  // of the next piece
    qint64 m_line = 1;    // of the next piece
    qint64 m_rowLine = 1; // of the row being read
    qint64 m_rowOffset = 0;
    int m_rowFields = 0;
    bool m_rowEnded = false;
    bool m_unclosed = false;
    bool m_endedMidLine = false; // the last piece taken had no line end: the data ended in it
    list::Cells m_cells;         // of the row being read
};

// The fields of one whole row, unquoted, as the reader reads them.
QByteArrayList splitFields(QByteArrayView content, char delimiter);

} // namespace zunova::textlist
