#pragma once

#include "cells.h"
#include "layout.h"
#include "listanswers.h"

#include "lookup/recordsource.h"

#include <QString>
#include <QStringView>

namespace zunova::list {

// What a row of a list is.
enum class RowKind : quint8 {
    Blank,     // no cell holds anything but spaces
    Above,     // above the header: a title, a date, stamp boxes; kept as it is, nothing added
    Header,    // the row of names above the numbers
    Number,    // a row with a number: it is answered
    NoNumber,  // a row whose number cell is empty (or missing)
    Continued, // a sheet's row inside a number cell merged down from the row above: the same
               // person's, nothing added
    Unclosed,  // what a quote that never closes took in, to the end of a text list: written
               // back as it is, nothing added
};

// Whether the row is one of the list's own, to be answered, noted and counted.
inline bool isListed(RowKind kind) {
    return kind == RowKind::Number || kind == RowKind::NoNumber;
}

// A row as a list's reader hands it on, text or sheet alike.
struct SourceRow {
    CellsView cells;
    qint64 line = 0;           // the line a text list's row starts on; a sheet row's number
    int fields = 0;            // its cells; 0 for a blank row
    bool unclosed = false;     // a quote opened in it never closes
    bool controlBytes = false; // it holds a control character (a NUL...), kept as it is
    bool continued = false;    // a sheet's number cell merged down over it
};

// What the pipeline made of a row: its kind and, for a number row, its answer.
struct ListRow {
    qint64 line = 0;
    int fields = 0;
    RowKind kind = RowKind::Blank;
    lookup::AnswerId answer = 0; // for a number row
    bool zeroRestored = false;   // its number's leading zero, dropped by a spreadsheet, put back
    bool several = false;        // its number cell holds several numbers: one was answered
    bool controlBytes = false;   // it holds a control character, kept as it is
};

// The one way a list's rows are answered, whatever list they come from and wherever they go:
// each row's kind decided (blank, above the header, the header, a number row), a number row's
// number read as
// people write numbers and answered as lookup::lookUp answers it. Numbers alike are looked up
// once, so `records` must not change meanwhile: a ReadOnceIndex.
class ListPipeline {
public:
    ListPipeline(const Layout& layout, CellDecoder& decoder, lookup::RecordSource& records);

    ListRow take(const SourceRow& row);
    // The number of the row taken last, as the query read it, for a number row: valid until the
    // next take().
    QStringView entered() const { return m_entered; }
    const AnswerTable& answers() const { return m_answers.table(); }

private:
    int m_numberColumn;
    qint64 m_headerRow;
    CellDecoder& m_decoder;
    ListAnswers m_answers;
    qint64 m_rows = 0; // taken so far that are not blank
    char16_t m_digits[11] = {};
    QString m_number;
    QStringView m_entered;
};

} // namespace zunova::list
