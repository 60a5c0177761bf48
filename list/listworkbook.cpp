#include "listworkbook.h"

namespace zunova::list {

bool isWorkbook(QByteArrayView start, const QString& name) {
    static const QStringList suffixes{QStringLiteral(".xlsx"), QStringLiteral(".xlsm"),
                                      QStringLiteral(".xls"), QStringLiteral(".xlsb")};
    return start.startsWith("PK\x03\x04") || start.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") ||
           std::any_of(suffixes.begin(), suffixes.end(), [&](const QString& suffix) {
               return name.endsWith(suffix, Qt::CaseInsensitive);
           });
}

QString noteColumnName(const QStringList& columnNames) {
    QString note = QStringLiteral(u"備考");
    for (int n = 2; columnNames.contains(note); ++n)
        note = QStringLiteral(u"備考%1").arg(n);
    return note;
}

std::variant<WorkbookList, ReadOutcome>
readWorkbookList(const QByteArray& data, const SheetChoice& sheet, const ColumnChoice& column,
                 lookup::RecordSource& records, Progress& progress) {
    Workbook::Opened opened = Workbook::open(data);
    if (!opened.workbook)
        return ReadOutcome{Problem::Workbook, 0, 0, opened.problem};
    const std::shared_ptr<const Workbook> workbook = std::move(opened.workbook);
    const std::vector<Sheet>& sheets = workbook->sheets();
    int first = 0;
    int last = int(sheets.size()) - 1;
    if (sheet.position >= 0 || !sheet.name.isEmpty()) {
        const auto named = std::find_if(sheets.begin(), sheets.end(),
                                        [&](const Sheet& s) { return s.name == sheet.name; });
        first = last = sheet.position >= 0 ? sheet.position : int(named - sheets.begin());
        if (first > int(sheets.size()) - 1)
            return ReadOutcome{Problem::NoSuchSheet, 0, 0, WorkbookProblem::None};
    }
    // The first sheet with a number column, where none was asked for.
    ReadOutcome outcome{Problem::NoNumberColumn, 0, 0, WorkbookProblem::None};
    for (int index = first; index <= last; ++index) {
        const SheetText text = workbook->text(index);
        if (text.problem != WorkbookProblem::None)
            return ReadOutcome{Problem::Workbook, 0, 0, text.problem};
        // Cells are tab-separated UTF-8, whatever they hold.
        ListDocument::Options options;
        options.encoding = Encoding::Utf8;
        options.column = column;
        options.delimiter = '\t';
        options.sheet = true;
        auto read = ListDocument::read(text.text, options, records, progress);
        if (auto* document = std::get_if<ListDocument>(&read))
            return WorkbookList{{workbook, index, text.lastColumn}, std::move(*document)};
        outcome = std::get<ReadOutcome>(read);
        const bool tryNext = outcome.problem == Problem::NoNumberColumn ||
                             outcome.problem == Problem::Empty ||
                             outcome.problem == Problem::HeaderOnly;
        if (!tryNext)
            return outcome;
    }
    return outcome;
}

WorkbookProblem writeWorkbookCopy(const WorkbookSheet& sheet, const ListDocument& document,
                                  QIODevice& out) {
    const qsizetype rows = qsizetype(document.rows().size());
    AddedColumns added;
    added.sheet = sheet.sheet;
    added.firstColumn = sheet.lastColumn + 1;
    added.rows.resize(std::size_t(rows));
    // Each sheet row is one row of the document, in order: row N of the sheet is row N - 1.
    bool notes = false;
    for (qsizetype i = 0; i < rows; ++i) {
        const RowKind kind = document.rows()[std::size_t(i)].kind;
        if (kind == RowKind::Blank)
            continue;
        const QString note = kind == RowKind::Header ? noteColumnName(document.format().columnNames)
                                                     : document.noteOf(i);
        notes = notes || (kind != RowKind::Header && !note.isEmpty());
        added.rows[std::size_t(i)] = {document.carrierOf(i), note};
    }
    if (!notes)
        for (QStringList& row : added.rows)
            if (!row.isEmpty())
                row.removeLast();
    return sheet.workbook->write(added, out);
}

} // namespace zunova::list
