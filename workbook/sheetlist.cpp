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

// A row as the pipeline takes it; `continued`: a number cell merged down from above covers it.
list::SourceRow sourceRow(const SheetCells& cells, qint64 number, bool continued = false) {
    const list::CellsView row = cells.row(number);
    return {row, number, isBlank(row) ? 0 : int(row.size()), false, false, continued};
}

// The rows a merged number cell covers below its own: the same person's, continued. Counted by
// where ranges start and end, so that many long ranges cost no more than one.
std::vector<bool> continuedRows(const SheetCells& cells, int numberColumn) {
    const qint64 rows = cells.rows();
    std::vector<int> startsLessEnds(std::size_t(rows) + 2, 0);
    for (const SheetCells::Merge& merge : cells.merges) {
        const qint64 first = merge.firstRow + 1;
        const qint64 last = std::min(merge.lastRow, rows);
        if (merge.firstColumn <= numberColumn + 1 && numberColumn + 1 <= merge.lastColumn &&
            first <= last) {
            ++startsLessEnds[std::size_t(first)];
            --startsLessEnds[std::size_t(last) + 1];
        }
    }
    std::vector<bool> continued(std::size_t(rows) + 1, false);
    int covering = 0;
    for (qint64 row = 1; row <= rows; ++row) {
        covering += startsLessEnds[std::size_t(row)];
        continued[std::size_t(row)] = covering > 0;
    }
    return continued;
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

// Where a sheet's numbers stand, as its first rows say.
list::LayoutFound layoutOf(const SheetCells& cells, const list::ColumnChoice& column) {
    bool whole = true;
    list::LayoutFound found = list::findLayout(sampleRows(cells, whole), whole, column);
    found.layout.width = 0; // a sheet's rows end at their last cell with a value
    return found;
}

// Every row of the sheet, answered as `layout` says. Row N of the sheet is the document's row
// N - 1.
std::variant<SheetList, list::Outcome> answerSheet(WorkbookSheet sheet, SheetCells cells,
                                                   const list::Layout& layout,
                                                   lookup::RecordSource& records,
                                                   list::Progress& progress) {
    const qint64 rows = cells.rows();
    const std::vector<bool> continued = continuedRows(cells, layout.numberColumn);
    auto kept = std::make_shared<KeptSheet>(sheet, std::move(cells));
    const SheetCells& held = kept->sheetCells();
    list::ListDocument document(layout, kept);
    document.reserve(std::size_t(rows));
    list::Utf8Decoder decoder;
    list::ListPipeline pipeline(layout, decoder, records);
    progress.total = rows;
    for (qint64 number = 1; number <= rows; ++number) {
        const list::SourceRow row = sourceRow(held, number, continued[std::size_t(number)]);
        if (!document.add(pipeline.take(row), quint32(number - 1)))
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

// Where no sheet was asked for: of the sheets shown as tabs, the one with the most mobile numbers
// (a cover sheet gives the company's numbers, a customers' sheet the customers'), the first of
// those alike. Each sheet is read once; only the best so far is kept.
std::variant<SheetList, list::Outcome>
readCustomersSheet(const std::shared_ptr<const Workbook>& workbook,
                   const list::ColumnChoice& column, lookup::RecordSource& records,
                   list::Progress& progress) {
    const std::vector<Sheet>& sheets = workbook->sheets();
    struct Best {
        int index = -1;
        SheetCells cells;
        list::Layout layout;
    } best;
    list::Outcome outcome{.problem = list::Problem::NoSheetNumbers};
    bool numberless = false;
    QSet<QString> tried; // the parts read, in lower case: sheets may share one, and count alike
    for (int index = 0; index < int(sheets.size()); ++index) {
        if (sheets[std::size_t(index)].hidden)
            continue;
        const QString part = sheets[std::size_t(index)].part.toLower();
        if (tried.contains(part))
            continue;
        tried.insert(part);
        SheetCells cells = workbook->cells(index);
        if (!cells.outcome.ok())
            return cells.outcome;
        const list::LayoutFound found = layoutOf(cells, column);
        const list::Problem problem = found.outcome.problem;
        if (problem == list::Problem::None) {
            if (best.index < 0 || found.layout.mobileNumbers > best.layout.mobileNumbers)
                best = {index, std::move(cells), found.layout};
            continue;
        }
        if (problem != list::Problem::NoNumberColumn && problem != list::Problem::Empty &&
            problem != list::Problem::HeaderOnly)
            return found.outcome;
        numberless = numberless || problem == list::Problem::NoNumberColumn;
        outcome = found.outcome;
    }
    if (best.index < 0)
        return numberless || outcome.problem == list::Problem::NoSheetNumbers
                   ? list::Outcome{.problem = list::Problem::NoSheetNumbers}
                   : outcome;
    const int lastColumn = best.cells.lastColumn;
    return answerSheet({workbook, best.index, lastColumn}, std::move(best.cells), best.layout,
                       records, progress);
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
    if (sheet.position < 0 && sheet.name.isEmpty())
        return readCustomersSheet(workbook, column, records, progress);
    const auto named = std::find_if(sheets.begin(), sheets.end(),
                                    [&](const Sheet& s) { return s.name == sheet.name; });
    const int index = sheet.position >= 0 ? sheet.position : int(named - sheets.begin());
    if (index > int(sheets.size()) - 1)
        return list::Outcome{.problem = list::Problem::NoSuchSheet,
                             .asked = sheet.name.isEmpty() ? QString::number(sheet.position + 1)
                                                           : sheet.name};
    SheetCells cells = workbook->cells(index);
    if (!cells.outcome.ok())
        return cells.outcome;
    const list::LayoutFound found = layoutOf(cells, column);
    if (!found.outcome.ok())
        return found.outcome;
    const int lastColumn = cells.lastColumn;
    return answerSheet({workbook, index, lastColumn}, std::move(cells), found.layout, records,
                       progress);
}

namespace {

// Where the copy's columns go: after the sheet's last used column, or into the sheet's own
// キャリア column (a copy's, made before, or one someone started by hand) and the note column
// right after it, refreshed so that a second run keeps one of each.
struct Place {
    int firstColumn = 0; // from 1
    bool replaces = false;
    QString noteName;       // of the note column; empty where there is no room for notes
    bool noteThere = false; // the note column is the sheet's own
};

// Whether a column's name is one a note column is given: 備考, 備考2...
bool namesNotes(const QString& name) {
    const QString note = QStringLiteral(u"備考");
    if (!name.startsWith(note))
        return false;
    const QStringView rest = QStringView(name).sliced(note.size());
    return std::all_of(rest.begin(), rest.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// Any キャリア column but the number's: unlike a text list's row, whose fields after the
// carriers would have to move, a sheet's cells can be written where they stand.
Place placeOf(const WorkbookSheet& sheet, const list::Layout& layout) {
    const QStringList& names = layout.columnNames;
    for (int i = 0; i < int(names.size()); ++i) {
        if (i == layout.numberColumn || names[i] != QStringView(list::kCarrierColumnName))
            continue;
        // A note column of its own after it; else room for one where nothing follows it, or
        // none where another column does (its carriers are still written).
        if (namesNotes(names.value(i + 1)))
            return {i + 1, true, names[i + 1], true};
        return {i + 1, true, sheet.lastColumn <= i + 1 ? list::noteColumnName(names) : QString()};
    }
    return {sheet.lastColumn + 1, false, list::noteColumnName(names)};
}

// The new columns of each row: its carrier, and where some row has a note, its note. Rows alike
// (the same kind, answer and marks) get the same texts, found once; but a note that names the
// row's own number, one of several in its cell, is the row's own.
AddedColumns addedColumns(const WorkbookSheet& sheet, const list::ListDocument& document) {
    const auto& rows = document.rows();
    bool notes = false;
    for (qsizetype i = 0; i < qsizetype(rows.size()) && !notes; ++i)
        notes = rows[std::size_t(i)].kind != list::RowKind::Header &&
                rows[std::size_t(i)].kind != list::RowKind::Blank && !document.noteOf(i).isEmpty();
    const Place place = placeOf(sheet, document.layout());
    // The sheet's own note column is refreshed even where no row has a note now.
    notes = place.noteThere || (notes && !place.noteName.isEmpty());
    AddedColumns added(sheet.sheet, place.firstColumn, notes ? 2 : 1);
    added.setReplaces(place.replaces);
    added.setHeaderRow(document.headerIndex() + 1);
    added.reserve(qint64(rows.size()));
    QHash<quint32, std::pair<quint32, quint32>> alike; // by kind, answer and marks
    for (qsizetype i = 0; i < qsizetype(rows.size()); ++i) {
        const list::ListDocument::Row& row = rows[std::size_t(i)];
        if (row.kind == list::RowKind::Blank)
            continue;
        const quint32 key = quint32(row.kind) << 16 | quint32(row.answer) << 8 | row.marks;
        auto texts = alike.constFind(key);
        if (texts == alike.constEnd() || (row.marks & list::ListDocument::Several)) {
            const QString note =
                row.kind == list::RowKind::Header ? place.noteName : document.noteOf(i);
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
