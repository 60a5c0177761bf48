#pragma once

// The words the program says about lists and numbers, each in one place: what went wrong
// reading a list, and what a row or a number got besides its carrier. Written in English and
// translated by the catalogue (tr()): the window shows them in Japanese, the command line in
// its user's language. What is written into a list, its note column, reads the same in every
// locale: Japanese.

#include "layout.h"
#include "listanswers.h"
#include "listpipeline.h"
#include "problem.h"
#include "rowcounts.h"

#include "lookup/query.h"

#include <QList>
#include <QString>

namespace zunova::list {

// Who says it: some problems are mended with the front's own controls (an option, a box).
enum class Front { CommandLine, Window };

// What went wrong, in the user's language, and where the user can do something about it, what;
// where it lies (a line, a part) is the front's to say, in its own form (whereText()).
QString problemText(const Outcome& outcome, Front front);
// Where a problem lies, for a message: "line 12", "xl/worksheets/sheet1.xml, row 12"; empty
// where nothing is known.
QString whereText(const Outcome& outcome);
// The system's reason for an error number: the common ones in the catalogue, others as the
// system words them.
QString systemErrorText(int error);

// A list whose bytes neither UTF-8 nor Shift_JIS reads whole, read as `encoding` anyway.
QString doubtfulEncodingText(const QString& encoding, Front front);
// A quote opened on a line never closes: the `lines` lines to the end were read as one row.
QString unclosedQuoteText(qint64 lines, Front front);

// Something worth saying about a row or a number besides its carrier.
struct Note {
    enum class Kind : quint8 {
        BlankRow,
        UnclosedQuote, // the row is what a quote that never closes took in
        NoNumber,
        ZeroRestored, // the leading zero a spreadsheet dropped was put back
        Warning,      // the number got one of the query's warnings
        Error,        // looking it up met a run-time error
        NoData,       // a mobile number of a kind no data file holds (080): never looked up
        Several,      // its cell held several numbers: this one was answered
        FieldCount,   // the row has another cell count than most rows
        ControlByte,  // the row holds a control character, kept as it is
    };
    Kind kind;
    const lookup::Answer* answer = nullptr; // Warning, Error, Several: the caller's, while used
    int fields = 0;                         // FieldCount: the row's, and most rows'
    int width = 0;
    QString number = {}; // NoData, Several: the number answered

    // Said of the number itself, as the command line puts it after the number.
    bool aboutTheNumber() const {
        return kind == Kind::ZeroRestored || kind == Kind::Warning || kind == Kind::Error ||
               kind == Kind::NoData;
    }
};

// What a row got besides its carrier, in the order it is said: a blank row, what a quote took
// in, no number, a dropped zero put back (unless every number of the list lost it: the run's
// summary says so once), the warning or error its number got, and why (080), the number answered
// of several, a cell count other than most rows', a control character. `number`: the row's
// number as read, for a row whose cell held several. Rows that are not the list's own (above
// its header, the header, a continued cell) get none.
QList<Note> notesOf(const ListRow& row, const AnswerTable& answers, const Layout& layout,
                    const QString& number = {});
// What a number got besides its carrier; `number` as read.
QList<Note> notesOf(const lookup::Answer& answer, bool zeroRestored, const QString& number);

// A note in the user's language.
QString noteText(const Note& note);
// The notes as a list's note column holds them: Japanese, one after another.
QString listNote(const QList<Note>& notes);

// Where a list's numbers were found, as a run says it once: the sheet (empty for a text list),
// the header's line or row (0: none), the number column (from 0) and its header's name.
QString layoutText(const QString& sheet, qint64 headerLine, int numberColumn,
                   const QString& columnName);
// What a list's rows got, an item each: each network's carriers, the warnings, the errors, the
// rows without a number, the total; then, where it happened, the numbers that had all lost
// their leading zero and the rows with a control character.
QStringList countItems(const RowCounts& counts, const AnswerTable& answers, bool zerosDropped);

// A data file that could not be opened, and the folder it was looked for in: said once.
QString missingDataFileText(const runtime::RuntimeError& error, const QString& folder);

// "error 62: TEXT": a run-time error's number and text.
QString errorNumberText(const runtime::RuntimeError& error);
// The same, after "FILE:LINE: " or "FILE: " where the error lies in a data file.
QString errorText(const runtime::RuntimeError& error);

} // namespace zunova::list
