#pragma once

#include "list/listdocument.h"

#include <QByteArray>
#include <QDialog>
#include <QPointer>
#include <QString>

#include <functional>
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

class ListModel;

// A list with the carrier added to each row: opened from a file, a drop or a paste of several
// numbers. Reading and looking up run on a worker thread, with a progress bar and 中止, so the
// window answers meanwhile. コピー puts the table on the clipboard as tab-separated text, 保存
// writes the original rows with a carrier column under a new name, 閉じる closes.
class ListWindow : public QDialog {
    Q_OBJECT

public:
    // Lists larger than this are for the command line, which streams them.
    static constexpr qint64 kMaxBytes = 256 * 1024 * 1024;

    // Opens a window on the list in the file `path`, or on pasted `text`, owned by `owner`; it
    // deletes itself when closed.
    static ListWindow* openFile(const QString& path, QWidget* owner);
    static ListWindow* openText(const QString& text, QWidget* owner);
    ~ListWindow() override;

    bool isWorking() const { return m_thread != nullptr; }
    ListModel* model() const { return m_model; }

    // What a worker thread reads or writes, and how it ended.
    struct Job;

signals:
    // A reading or a saving has ended, whichever way.
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
    void showProgress();
    void finishWork();

private:
    // Starts reading the list given before it builds its controls, so both go on at once.
    ListWindow(QWidget* owner, const QString& path, const QString& name, const QByteArray& data,
               bool fromFile, const list::ListDocument::Options& options);
    std::shared_ptr<Job> loadJob(const QByteArray& data, bool fromFile,
                                 const list::ListDocument::Options& options);
    void startLoad(const QByteArray& data, bool fromFile,
                   const list::ListDocument::Options& options);
    void startJob(std::shared_ptr<Job> job);
    void launch(std::shared_ptr<Job> job); // on a thread of its own
    void stopWork();
    void setWorking(bool working);
    void showDocument(std::shared_ptr<const list::ListDocument> document);
    void showOptions();

    QString m_path; // empty for pasted text
    QString m_name;
    QByteArray m_data;
    list::ListDocument::Options m_options;
    std::shared_ptr<lookup::ReadOnceIndex> m_records;
    std::shared_ptr<Job> m_job;
    QThread* m_thread = nullptr;
    bool m_closing = false;
    QPointer<QWidget> m_focusBefore;

    QComboBox* m_encodingBox;
    QComboBox* m_columnBox;
    QLabel* m_doubt;
    QTableView* m_table;
    ListModel* m_model;
    QLabel* m_counts;
    QProgressBar* m_progress;
    QPushButton* m_cancel;
    QPushButton* m_copy;
    QPushButton* m_save;
    QPushButton* m_close;
    QTimer* m_progressTimer;
};

} // namespace zunova::windows
