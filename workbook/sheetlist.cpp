#include "sheetlist.h"

#include <QSet>

#include <algorithm>

namespace zunova::workbook {
namespace {

// Nothing in the row but spaces: no cell of it holds anything.
bool isBlank(list::CellsView cells) {
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const QByteArrayView cell = cells[i];
        if (!std::all_of(cell.begin(), cell.end(), [](char c) { return c == ' '; }))
            return false;
    }
    return true;
}

// A row as the pipeline takes it.
list::SourceRow sourceRow(const SheetCells& cells, qint64 number) {
    const list::CellsView row = cells.row(number);
    return {row, number, isBlank(row) ? 0 : int(row.size()), false};
}

// The first rows of a sheet that are not blank, as a layout is found from them; spaces around
// a cell's text are no part of its name.
list::SampleRows sampleRows(const SheetCells& cells, bool& whole) {
    list::SampleRows rows;
    whole = true;
    for (qint64 number = 1; number <= cells.rows(); ++number) {
        const list::SourceRow row = sourceRow(cells, number);
        if (row.fields == 0)
            continue;
        if (rows.size() == std::size_t(list::kSampleRows)) {
            whole = false;
            break;
        }
        QStringList texts;
        for (qsizetype i = 0; i < row.cells.size(); ++i) {
            QByteArrayView cell = row.cells[i];
            while (cell.startsWith(' '))
                cell = cell.sliced(1);
            while (cell.endsWith(' '))
                cell.chop(1);
            texts << QString::fromUtf8(cell);
        }
        rows.push_back(std::move(texts));
    }
    return rows;
}

// A sheet's cells, which its rows are read from again when shown, and its workbook, which the
// copy is made from.
class KeptSheet final : public list::KeptRows {
public:
    KeptSheet(WorkbookSheet sheet, SheetCells cells)
        : m_sheet(std::move(sheet))
        , m_cells(std::move(cells)) {}

    std::unique_ptr<list::CellDecoder> decoder() const override {
        return std::make_unique<list::Utf8Decoder>();
    }
    QStringList cells(const list::ListDocument& document, qsizetype index,
                      list::CellDecoder& decoder) const override {
        const list::CellsView row = m_cells.row(document.rows()[std::size_t(index)].place + 1);
        QStringList out;
        for (qsizetype i = 0; i < row.size(); ++i)
            out << decoder.decode(row[i]);
        return out;
    }
    list::Outcome write(const list::ListDocument& document, QIODevice& out,
                        list::Progress&) const override {
        return writeWorkbookCopy(m_sheet, document, out);
    }

    const SheetCells& sheetCells() const { return m_cells; }

private:
    WorkbookSheet m_sheet;
    SheetCells m_cells;
};

// Every row of the sheet, answered. Row N of the sheet is the document's row N - 1.
std::variant<SheetList, list::Outcome> answerSheet(WorkbookSheet sheet, SheetCells cells,
                                                   const list::ColumnChoice& column,
                                                   lookup::RecordSource& records,
                                                   list::Progress& progress) {
    bool whole = true;
    const list::LayoutFound found = list::findLayout(sampleRows(cells, whole), whole, column);
    if (!found.outcome.ok())
        return found.outcome;
    list::Layout layout = found.layout;
    layout.width = 0; // a sheet's rows end at their last cell with a value
    const qint64 rows = cells.rows();
    auto kept = std::make_shared<KeptSheet>(sheet, std::move(cells));
    const SheetCells& held = kept->sheetCells();
    list::ListDocument document(layout, kept);
    document.reserve(std::size_t(rows));
    list::Utf8Decoder decoder;
    list::ListPipeline pipeline(layout, decoder, records);
    progress.total = rows;
    for (qint64 number = 1; number <= rows; ++number) {
        if (!document.add(pipeline.take(sourceRow(held, number)), quint32(number - 1)))
            return list::Outcome{.problem = list::Problem::TooManyRows};
        if (number % 4096 == 0) {
            progress.done = number;
            if (progress.cancelled)
                return list::Outcome{.problem = list::Problem::Cancelled};
        }
    }
    document.finish(pipeline.answers());
    return SheetList{std::move(sheet), std::move(document)};
}

} // namespace

bool isWorkbook(QByteArrayView start, const QString& name) {
    static const QStringList suffixes{QStringLiteral(".xlsx"), QStringLiteral(".xlsm"),
                                      QStringLiteral(".xls"), QStringLiteral(".xlsb")};
    return start.startsWith("PK\x03\x04") || start.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") ||
           std::any_of(suffixes.begin(), suffixes.end(), [&](const QString& suffix) {
               return name.endsWith(suffix, Qt::CaseInsensitive);
           });
}

std::variant<SheetList, list::Outcome>
readWorkbookList(const QByteArray& data, const SheetChoice& sheet, const list::ColumnChoice& column,
                 lookup::RecordSource& records, list::Progress& progress) {
    Workbook::Opened opened = Workbook::open(data);
    if (!opened.workbook)
        return opened.outcome;
    const std::shared_ptr<const Workbook> workbook = std::move(opened.workbook);
    const std::vector<Sheet>& sheets = workbook->sheets();
    const bool chosen = sheet.position >= 0 || !sheet.name.isEmpty();
    int first = 0;
    int last = int(sheets.size()) - 1;
    if (chosen) {
        const auto named = std::find_if(sheets.begin(), sheets.end(),
                                        [&](const Sheet& s) { return s.name == sheet.name; });
        first = last = sheet.position >= 0 ? sheet.position : int(named - sheets.begin());
        if (first > int(sheets.size()) - 1)
            return list::Outcome{.problem = list::Problem::NoSuchSheet,
                                 .asked = chosen && sheet.name.isEmpty()
                                              ? QString::number(sheet.position + 1)
                                              : sheet.name};
    }
    // Where none was asked for, the first sheet shown as a tab with a number column.
    list::Outcome outcome{.problem = list::Problem::NoSheetNumbers};
    bool numberless = false;
    QSet<QString> tried; // the parts of the sheets read, in lower case: sheets may share one
    for (int index = first; index <= last; ++index) {
        if (!chosen && sheets[std::size_t(index)].hidden)
            continue;
        // A part that was read without a number column has none for this sheet either.
        const QString part = sheets[std::size_t(index)].part.toLower();
        if (tried.contains(part))
            continue;
        tried.insert(part);
        SheetCells cells = workbook->cells(index);
        if (!cells.outcome.ok())
            return cells.outcome;
        const int lastColumn = cells.lastColumn;
        auto read =
            answerSheet({workbook, index, lastColumn}, std::move(cells), column, records, progress);
        if (std::holds_alternative<SheetList>(read) || chosen)
            return read;
        outcome = std::get<list::Outcome>(read);
        const list::Problem problem = outcome.problem;
        if (problem != list::Problem::NoNumberColumn && problem != list::Problem::Empty &&
            problem != list::Problem::HeaderOnly)
            return outcome;
        numberless = numberless || problem == list::Problem::NoNumberColumn;
    }
    if (numberless || outcome.problem == list::Problem::NoSheetNumbers)
        outcome = {.problem = list::Problem::NoSheetNumbers};
    return outcome;
}

namespace {

// The new columns of each row: its carrier, and where some row has a note, its note. Rows alike
// (the same kind, answer and restored zero) get the same texts, found once.
AddedColumns addedColumns(const WorkbookSheet& sheet, const list::ListDocument& document) {
    const auto& rows = document.rows();
    bool notes = false;
    for (qsizetype i = 0; i < qsizetype(rows.size()) && !notes; ++i)
        notes = rows[std::size_t(i)].kind != list::RowKind::Header &&
                rows[std::size_t(i)].kind != list::RowKind::Blank && !document.noteOf(i).isEmpty();
    AddedColumns added(sheet.sheet, sheet.lastColumn + 1, notes ? 2 : 1);
    added.reserve(qint64(rows.size()));
    QHash<quint32, std::pair<quint32, quint32>> alike; // by kind, answer and restored zero
    for (qsizetype i = 0; i < qsizetype(rows.size()); ++i) {
        const list::ListDocument::Row& row = rows[std::size_t(i)];
        if (row.kind == list::RowKind::Blank)
            continue;
        const quint32 key = quint32(row.kind) << 16 | quint32(row.answer) << 1 | row.zeroRestored;
        auto texts = alike.constFind(key);
        if (texts == alike.constEnd()) {
            const QString note = row.kind == list::RowKind::Header
                                     ? list::noteColumnName(document.layout().columnNames)
                                     : document.noteOf(i);
            texts = alike.insert(key, {added.indexOf(document.carrierOf(i)), added.indexOf(note)});
        }
        added.set(qint64(i) + 1, 0, texts->first);
        if (notes)
            added.set(qint64(i) + 1, 1, texts->second);
    }
    return added;
}

} // namespace

list::Outcome writeWorkbookCopy(const WorkbookSheet& sheet, const list::ListDocument& document,
                                QIODevice& out) {
    // Each sheet row is one row of the document, in order: row N of the sheet is row N - 1.
    const AddedColumns added = addedColumns(sheet, document);
    return sheet.workbook->write(added, out);
}

} // namespace zunova::workbook
