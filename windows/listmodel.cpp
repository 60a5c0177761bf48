#include "listmodel.h"

#include <algorithm>

namespace zunova::windows {
namespace {

constexpr std::size_t kShownRows = 2000;
// Rows given to the views at a time.
constexpr int kFetchedRows = 100'000;

QString flattened(QString text) {
    return text.replace(QStringLiteral("\n\n"), QStringLiteral(" ")).replace(u'\n', u' ');
}

// A cell as a spreadsheet reads it from tab-separated text.
QString cell(const QString& text) {
    if (!text.contains(u'\t') && !text.contains(u'\n') && !text.contains(u'\r') &&
        !text.contains(u'"'))
        return text;
    QString quoted = text;
    return u'"' + quoted.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

} // namespace

ListModel::ListModel(QObject* parent)
    : QAbstractTableModel(parent) {}

ListModel::~ListModel() = default;

void ListModel::setDocument(std::shared_ptr<const list::ListDocument> document) {
    beginResetModel();
    m_document = std::move(document);
    m_shown.clear();
    m_fieldColumns = 0;
    m_rows = 0;
    if (m_document) {
        m_codec = std::make_unique<list::Codec>(m_document->format().encoding);
        m_fieldColumns =
            std::max(int(m_document->format().columnNames.size()), m_document->widest());
        m_rows = std::min(rowsOf(*m_document), kFetchedRows);
    }
    endResetModel();
}

int ListModel::rowsOf(const list::ListDocument& document) {
    return int(document.rows().size()) - (document.headerIndex() >= 0 ? 1 : 0);
}

bool ListModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && m_document && m_rows < rowsOf(*m_document);
}

void ListModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    const int rows = std::min(rowsOf(*m_document), m_rows + kFetchedRows);
    beginInsertRows({}, m_rows, rows - 1);
    m_rows = rows;
    endInsertRows();
}

qsizetype ListModel::documentRow(int row) const {
    const qsizetype header = m_document->headerIndex();
    return header >= 0 && row >= header ? row + 1 : row;
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
    return m_shown.emplace(row, m_document->fields(documentRow(row), *m_codec)).first->second;
}

QString ListModel::noteOf(int row) const {
    const auto& read = m_document->rows()[std::size_t(documentRow(row))];
    if (read.fields() == 0)
        return QStringLiteral(u"空の行");
    QString note;
    if (read.answer != list::ListDocument::kNoAnswer) {
        const lookup::Answer& answer = m_document->answers()[read.answer];
        if (const auto* warning = std::get_if<lookup::Warning>(&answer))
            note = lookup::fixedText(warning->text);
        else if (const auto* error = std::get_if<runtime::RuntimeError>(&answer))
            note = flattened(error->report());
    }
    const int width = m_document->format().width;
    if (read.fields() != width) {
        if (!note.isEmpty())
            note += u' ';
        note += QStringLiteral(u"列の数が %1 です（ほとんどの行は %2）。")
                    .arg(read.fields())
                    .arg(width);
    }
    return note;
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!m_document || !index.isValid() ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole))
        return {};
    const int column = index.column();
    if (column == carrierColumn())
        return m_document->carrierOf(documentRow(index.row())).toString();
    if (column == noteColumn())
        return noteOf(index.row());
    const QStringList& fields = fieldsOf(index.row());
    return column < fields.size() ? fields[column] : QString();
}

QStringList ListModel::fieldNames() const {
    QStringList names = m_document ? m_document->format().columnNames : QStringList();
    for (qsizetype i = names.size(); i < m_fieldColumns; ++i)
        names << QStringLiteral(u"%1列目").arg(i + 1);
    return names;
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (!m_document || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    if (orientation == Qt::Vertical) {
        // The line in the file, as the command line's messages give it.
        return QString::number(m_document->lineOf(documentRow(section)));
    }
    if (section == carrierColumn())
        return QString::fromUtf16(list::kCarrierColumnName);
    if (section == noteColumn())
        return QStringLiteral(u"備考");
    const QStringList names = fieldNames();
    return section < names.size() ? names[section] : QString();
}

QString ListModel::tabSeparated() const {
    if (!m_document)
        return {};
    QStringList header = fieldNames();
    header << QString::fromUtf16(list::kCarrierColumnName) << QStringLiteral(u"備考");
    QString text;
    for (const QString& name : header)
        text += cell(name) + u'\t';
    text.back() = u'\n';
    list::Codec codec(m_document->format().encoding);
    const int rows = rowsOf(*m_document);
    for (int row = 0; row < rows; ++row) {
        QStringList fields = m_document->fields(documentRow(row), codec);
        while (fields.size() < m_fieldColumns)
            fields << QString();
        for (const QString& field : fields)
            text += cell(field) + u'\t';
        text += cell(m_document->carrierOf(documentRow(row)).toString()) + u'\t' +
                cell(noteOf(row)) + u'\n';
    }
    return text;
}

QString ListModel::counts() const {
    if (!m_document)
        return {};
    QStringList parts;
    qint64 warnings = 0;
    qint64 errors = 0;
    const auto& answers = m_document->answers();
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const qint64 count = m_document->counts()[i];
        if (const auto* carrier = std::get_if<lookup::Carrier>(&answers[i]))
            parts << QStringLiteral(u"%1 %2件").arg(lookup::fixedText(carrier->name)).arg(count);
        else if (std::holds_alternative<lookup::Warning>(answers[i]))
            warnings += count;
        else
            errors += count;
    }
    if (warnings > 0)
        parts << QStringLiteral(u"警告 %1件").arg(warnings);
    if (errors > 0)
        parts << QStringLiteral(u"エラー %1件").arg(errors);
    return parts.isEmpty() ? QStringLiteral(u"番号のある行はありません。")
                           : parts.join(QStringLiteral(u"　"));
}

} // namespace zunova::windows
