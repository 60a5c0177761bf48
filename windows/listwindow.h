#pragma once

#include "list/listdocument.h"
#include "textlist/textlist.h"
#include "workbook/sheetlist.h"

#include <QByteArray>
#include <QDialog>
#include <QPointer>
#include <QString>

#include <memory>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QThread;
class QTimer;

namespace zunova::lookup {
class ReadOnceIndex;
}

namespace zunova::windows {

class ItemsLabel;
class ListModel;
struct ListLoadJob;
struct ListSaveJob;
struct ListCopyJob;
struct ListWork;

// A list with the carrier added to each row: opened from a file (a text list or an Excel
// workbook), a drop or a paste of several numbers. Reading and looking up, saving and copying run
// on a worker thread, with a progress bar and 中止, so the window answers meanwhile. コピー puts
// the table on the clipboard as tab-separated text, 保存 writes the original rows with a carrier
// column under a new name, 閉じる closes.
class ListWindow : public QDialog {
    Q_OBJECT

public:
    // Lists larger than this, from a file or pasted, are for the command line, which streams
    // them.
    static constexpr qint64 kMaxBytes = list::kMaxHeldBytes;
    // Tables longer than this are saved rather than copied: the clipboard would hold them all.
    static constexpr qsizetype kMaxCopiedRows = 1'000'000;

    // Opens a window on the list in the file `path`, or on pasted `text`, owned by `owner`; it
    // deletes itself when closed. Pasted text over kMaxBytes is refused with a box (nullptr).
    static ListWindow* openFile(const QString& path, QWidget* owner);
    static ListWindow* openText(const QString& text, QWidget* owner);
    ~ListWindow() override;

    bool isWorking() const { return m_thread != nullptr; }
    ListModel* model() const { return m_model; }

signals:
    // A reading, a saving or a copying has ended, whichever way.
    void workDone();

public slots:
    // Escape: stops the work under way, or else closes the window.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void copyTable();
    void save();
    void cancelWork();
    void chooseEncoding();
    void chooseColumn();
    void chooseSheet();
    void showProgress();
    void finishWork();

private:
    ListWindow(QWidget* owner, const QString& path, const QString& name);
    void createTable();
    void layOutControls(QLabel* columnCaption);
    // Reads the list: from the file when `data` is null, else from `data`.
    void load(const QByteArray& data, const textlist::Options& options);
    // Reads the list again with other options (and for a workbook another sheet); the table it
    // shows goes first, so that two whole documents are never held at once.
    void reread(const textlist::Options& options, const workbook::SheetChoice& sheet);
    void start(std::unique_ptr<ListWork> work);
    void stopWork();
    void setWorking(bool working);
    void finishLoad(ListLoadJob& job);
    void finishSave(ListSaveJob& job);
    void finishCopy(ListCopyJob& job);
    void showDocument(std::shared_ptr<const list::ListDocument> document);
    void showOptions();
    // Says which sheet, header and column the list was read with.
    void showUsed(const list::ListDocument& shown);

    QString m_path; // empty for pasted text
    QString m_name;
    // The bytes the table was read from and how, for reading them again.
    QByteArray m_data;
    textlist::Options m_options;
    workbook::SheetChoice m_sheetChoice;
    // The text list's format, or the workbook's sheet, the table was read from.
    std::optional<textlist::Format> m_format;
    std::optional<workbook::WorkbookSheet> m_book;
    std::shared_ptr<lookup::ReadOnceIndex> m_records;
    std::shared_ptr<ListWork> m_work;
    QThread* m_thread = nullptr;
    bool m_closing = false;
    QPointer<QWidget> m_focusBefore;

    QLabel* m_encodingCaption;
    QComboBox* m_encodingBox;
    QComboBox* m_columnBox;
    QLabel* m_sheetCaption;
    QComboBox* m_sheetBox;
    QLabel* m_used; // which sheet, header and column the list was read with
    QLabel* m_doubt;
    QTableView* m_table;
    ListModel* m_model;
    ItemsLabel* m_counts;
    QLabel* m_saved; // where the last save wrote
    QProgressBar* m_progress;
    QPushButton* m_cancel;
    QPushButton* m_copy;
    QPushButton* m_save;
    QPushButton* m_close;
    QTimer* m_progressTimer;
};

} // namespace zunova::windows
