#pragma once

#include "workbook.h"

#include "list/listdocument.h"
#include "lookup/recordsource.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <memory>
#include <variant>

namespace zunova::workbook {

// Whether a list is a workbook, by its first bytes (a zip, or an OLE compound file: the old
// binary .xls) or by its name (.xlsx, .xlsm, .xls, .xlsb). Such a list is read as a workbook,
// never as text, so that one that is not what its name says gets told so.
bool isWorkbook(QByteArrayView start, const QString& name);

// The sheet asked for: by its position (from 0) or by its name. Neither: the first sheet shown
// as a tab that has a number column.
struct SheetChoice {
    int position = -1;
    QString name;
};

// The sheet of a workbook a list was read from, which its copy is made from.
struct WorkbookSheet {
    std::shared_ptr<const Workbook> workbook;
    int sheet = 0;
    int lastColumn = 0; // of the sheet: the copy's columns go after it
};

// A workbook read as a list: one sheet's rows, each answered as the same row of a text list
// would be.
struct SheetList {
    WorkbookSheet sheet;
    list::ListDocument document;
};

// Reads the workbook in `data`. Problems: those of the workbook, NoSuchSheet, NoSheetNumbers
// where no sheet has a number column, or any of the list's rows (TooManyRows, Cancelled...).
// The document writes the workbook's copy (writeWorkbookCopy()).
std::variant<SheetList, list::Outcome>
readWorkbookList(const QByteArray& data, const SheetChoice& sheet, const list::ColumnChoice& column,
                 lookup::RecordSource& records, list::Progress& progress);

// Writes a copy of the workbook with a column added to the sheet after its last used one,
// headed キャリア, holding each row's carrier, and after it, where some row has a note, the note
// column. Where the sheet's header already has a キャリア column (and its note column right
// after it), those are written again instead. The sheet's tables that end just before the new
// columns take them; every other part of the package is copied unchanged.
list::Outcome writeWorkbookCopy(const WorkbookSheet& sheet, const list::ListDocument& document,
                                QIODevice& out);

} // namespace zunova::workbook
