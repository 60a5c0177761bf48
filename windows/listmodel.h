#pragma once

#include "list/listdocument.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <memory>
#include <unordered_map>

namespace zunova::windows {

// The list window's table: a list's rows with the carrier and a note column added beside its
// number column, so that what matters is on screen first. Rows are read from the document when
// they are shown, so a long list costs no more than its document;
// the views get them a hundred thousand at a time, as they scroll to them (fetchMore), since a
// view keeps a header section for each row it is told of.
class ListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ListModel(QObject* parent = nullptr);
    ~ListModel() override;

    // Shows a document (none: an empty table), its first rows at once and the others as they
    // are fetched.
    void setDocument(std::shared_ptr<const list::ListDocument> document);
    const list::ListDocument* document() const { return m_document.get(); }
    std::shared_ptr<const list::ListDocument> sharedDocument() const { return m_document; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    int carrierColumn() const;
    int noteColumn() const { return carrierColumn() + 1; }
    // How many rows got each carrier, warnings and errors, and in all: each item as the pieces a
    // line may break between.
    QList<QStringList> counts() const;

private:
    qsizetype documentRow(int row) const;
    const QStringList& fieldsOf(int row) const;
    QString cellOf(int row, int column) const;

    std::shared_ptr<const list::ListDocument> m_document;
    int m_fieldColumns = 0;
    int m_rows = 0; // fetched so far
    std::unique_ptr<list::CellDecoder> m_decoder;
    // The fields of rows shown lately: a screenful or two, never the whole list.
    mutable std::unordered_map<int, QStringList> m_shown;
};

// The column names of a list's fields: the header's, or 1列目, 2列目...
QStringList fieldNames(const list::ListDocument& document);
// The table's columns, as shown: the list's fields with the carrier and the note after its number
// column; a name the list has already is not taken for the note.
QStringList tableColumnNames(const list::ListDocument& document);
// The whole table, header first, as tab-separated text, as spreadsheets paste it. Safe on a
// worker thread; stops early (with nothing) when `progress` is cancelled.
QString tabSeparated(const list::ListDocument& document, list::Progress& progress);

} // namespace zunova::windows
