#include "listmodel.h"

#include "list/messages.h"

#include <algorithm>

namespace zunova::windows {
namespace {

constexpr std::size_t kShownRows = 2000;
// Rows given to the views at a time.
constexpr int kFetchedRows = 100'000;
constexpr qsizetype kProgressRows = 4096;

// A cell as a spreadsheet reads it from tab-separated text.
QString cell(const QString& text) {
    if (!text.contains(u'\t') && !text.contains(u'\n') && !text.contains(u'\r') &&
        !text.contains(u'"'))
        return text;
    QString quoted = text;
    return u'"' + quoted.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

int fieldColumns(const list::ListDocument& document) {
    return std::max(int(document.layout().columnNames.size()), document.widest());
}

// The document's rows in the table: the header row is the table's header.
int tableRows(const list::ListDocument& document) {
    return int(document.rows().size()) - (document.headerIndex() >= 0 ? 1 : 0);
}

qsizetype documentRowOf(const list::ListDocument& document, int row) {
    const qsizetype header = document.headerIndex();
    return header >= 0 && row >= header ? row + 1 : row;
}

// The carrier's column on screen: right after the number's.
int carrierColumnOf(const list::ListDocument& document) {
    return document.layout().numberColumn + 1;
}

// What the table's column `column` shows of a row: a field's index, or -1 for the carrier, -2
// for the note.
int fieldOfColumn(const list::ListDocument& document, int column) {
    const int carrier = carrierColumnOf(document);
    return column < carrier        ? column
           : column == carrier     ? -1
           : column == carrier + 1 ? -2
                                   : column - 2;
}

} // namespace

QStringList fieldNames(const list::ListDocument& document) {
    QStringList names = document.layout().columnNames;
    for (qsizetype i = names.size(); i < fieldColumns(document); ++i)
        names << QStringLiteral(u"%1列目").arg(i + 1);
    return names;
}

QStringList tableColumnNames(const list::ListDocument& document) {
    QStringList names = fieldNames(document);
    const QString note = list::noteColumnName(names);
    const int carrier = carrierColumnOf(document);
    names.insert(std::min(carrier, int(names.size())), note);
    names.insert(std::min(carrier, int(names.size())),
                 QString::fromUtf16(list::kCarrierColumnName));
    return names;
}

QString tabSeparated(const list::ListDocument& document, list::Progress& progress) {
    QString text;
    for (const QString& name : tableColumnNames(document))
        text += cell(name) + u'\t';
    text.back() = u'\n';
    const std::unique_ptr<list::CellDecoder> decoder = document.decoder();
    const int columns = fieldColumns(document) + 2;
    const int rows = tableRows(document);
    progress.total = rows;
    for (int row = 0; row < rows; ++row) {
        const qsizetype index = documentRowOf(document, row);
        const QStringList fields = document.cells(index, *decoder);
        for (int column = 0; column < columns; ++column) {
            const int field = fieldOfColumn(document, column);
            text += cell(field == -1   ? document.carrierOf(index)
                         : field == -2 ? document.noteOf(index)
                                       : fields.value(field));
            text += column + 1 < columns ? u'\t' : u'\n';
        }
        if ((row + 1) % kProgressRows == 0) {
            progress.done = row + 1;
            if (progress.cancelled)
                return {};
        }
    }
    progress.done = rows;
    return text;
}

ListModel::ListModel(QObject* parent)
    : QAbstractTableModel(parent) {}

ListModel::~ListModel() = default;

void ListModel::setDocument(std::shared_ptr<const list::ListDocument> document) {
    beginResetModel();
    m_document = std::move(document);
    m_shown.clear();
    m_fieldColumns = 0;
    m_rows = 0;
    m_decoder.reset();
    if (m_document) {
        m_decoder = m_document->decoder();
        m_fieldColumns = fieldColumns(*m_document);
        m_rows = std::min(tableRows(*m_document), kFetchedRows);
    }
    endResetModel();
}

bool ListModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && m_document && m_rows < tableRows(*m_document);
}

void ListModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    const int rows = std::min(tableRows(*m_document), m_rows + kFetchedRows);
    beginInsertRows({}, m_rows, rows - 1);
    m_rows = rows;
    endInsertRows();
}

qsizetype ListModel::documentRow(int row) const {
    return documentRowOf(*m_document, row);
}

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_document ? 0 : m_fieldColumns + 2;
}

const QStringList& ListModel::fieldsOf(int row) const {
    if (const auto known = m_shown.find(row); known != m_shown.end())
        return known->second;
    if (m_shown.size() >= kShownRows)
        m_shown.clear();
    return m_shown.emplace(row, m_document->cells(documentRow(row), *m_decoder)).first->second;
}

int ListModel::carrierColumn() const {
    return m_document ? carrierColumnOf(*m_document) : 0;
}

QString ListModel::cellOf(int row, int column) const {
    const int field = fieldOfColumn(*m_document, column);
    if (field == -1)
        return m_document->carrierOf(documentRow(row));
    if (field == -2)
        return m_document->noteOf(documentRow(row));
    return fieldsOf(row).value(field);
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!m_document || !index.isValid() ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole))
        return {};
    return cellOf(index.row(), index.column());
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (!m_document || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    if (orientation == Qt::Vertical) {
        // The line in the file, as the command line's messages give it.
        return QString::number(m_document->rows()[std::size_t(documentRow(section))].line);
    }
    return tableColumnNames(*m_document).value(section);
}

QList<QStringList> ListModel::counts() const {
    if (!m_document)
        return {};
    // A network's carriers, "携帯電話: ＮＴＴドコモ 2件、ａｕ 1件", may break after each "、".
    QList<QStringList> items;
    for (const QString& item : list::countItems(m_document->counts(), m_document->answers(),
                                                m_document->layout().zerosDropped)) {
        QStringList pieces;
        qsizetype from = 0;
        for (qsizetype at = item.indexOf(u'、'); at >= 0; at = item.indexOf(u'、', from)) {
            pieces << item.sliced(from, at + 1 - from);
            from = at + 1;
        }
        pieces << item.sliced(from);
        items << pieces;
    }
    return items;
}

} // namespace zunova::windows
