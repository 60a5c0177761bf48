#pragma once

#include "listdocument.h"
#include "workbook.h"

#include "lookup/recordsource.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <memory>
#include <variant>

namespace zunova::list {

// Whether a list is a workbook, by its first bytes (a zip, or an OLE compound file: the old
// binary .xls) or by its name (.xlsx, .xlsm, .xls, .xlsb). Such a list is read as a workbook,
// never as text, so that one that is not what its name says gets told so.
bool isWorkbook(QByteArrayView start, const QString& name);

// The sheet asked for: by its position (from 0) or by its name. Neither: the first sheet that
// has a number column.
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

// A workbook read as a list: one sheet's rows, read as a text list is (each sheet row a row,
// its cells tab-separated, so every number is answered as in a CSV of the same rows).
struct WorkbookList {
    WorkbookSheet sheet;
    ListDocument document;
};

// Reads the workbook in `data`. Problems: Problem::Workbook (ReadOutcome::workbook says why),
// NoSuchSheet, NoNumberColumn where no sheet has one, or any a text list has.
std::variant<WorkbookList, ReadOutcome>
readWorkbookList(const QByteArray& data, const SheetChoice& sheet, const ColumnChoice& column,
                 lookup::RecordSource& records, Progress& progress);

// Writes a copy of the workbook with a column added to the sheet after its last used one,
// headed キャリア, holding each row's carrier, and after it, where some row has a note, the note
// column (rowNote). Every other part of the package is copied unchanged.
WorkbookProblem writeWorkbookCopy(const WorkbookSheet& sheet, const ListDocument& document,
                                  QIODevice& out);

// The note column's name: 備考, or where the list has a column of that name, 備考2, 備考3...
QString noteColumnName(const QStringList& columnNames);

} // namespace zunova::list
