#include "listwindow.h"

#include "filedialog.h"
#include "layout.h"
#include "listmodel.h"
#include "messagebox.h"

#include "lookup/readonceindex.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zunova::windows {

struct ListWindow::Job {
    list::Progress progress;
    bool saving = false;
    // Reading: from the file, or from `data` as it is.
    bool fromFile = false;
    QString path;
    QByteArray data;
    list::ListDocument::Options options;
    std::shared_ptr<lookup::ReadOnceIndex> records;
    std::optional<list::ListDocument> document;
    // Saving.
    std::shared_ptr<const list::ListDocument> saved;
    QString target;
    // How it ended: an error box's text, or cancelled, or neither.
    QString error;
    bool cancelled = false;
};

namespace {

constexpr qsizetype kReadChunk = 4 * 1024 * 1024;

QString reasonOf(int error) {
    switch (error) {
    case ENOENT:
        return QStringLiteral(u"ファイルが見つかりません。");
    case EACCES:
    case EPERM:
        return QStringLiteral(u"ファイルを読み取る権限がありません。");
    case EISDIR:
        return QStringLiteral(u"フォルダーです。");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

QString cannotOpen(const QString& path, const QString& reason) {
    return QStringLiteral(u"一覧を開けません。\n%1\n%2")
        .arg(QDir::toNativeSeparators(path), reason);
}

// Reads the whole file, watching that it does not change meanwhile. Returns an error box's
// text, or nothing.
QString readListFile(const QString& path, list::Progress& progress, QByteArray& data) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return cannotOpen(path, reasonOf(errno));
    const std::unique_ptr<int, void (*)(int*)> closer(new int(fd), [](int* d) {
        ::close(*d);
        delete d;
    });
    struct stat before {};
    if (::fstat(fd, &before) != 0)
        return cannotOpen(path, reasonOf(errno));
    if (S_ISDIR(before.st_mode))
        return cannotOpen(path, reasonOf(EISDIR));
    if (!S_ISREG(before.st_mode))
        return cannotOpen(path, QStringLiteral(u"普通のファイルではありません。"));
    if (before.st_size > ListWindow::kMaxBytes)
        return cannotOpen(path, QStringLiteral(u"この画面で開ける一覧は 256 MB までです。大きな"
                                               u"一覧には、コマンドラインの zunova --csv を使って"
                                               u"ください。"));
    progress.total = before.st_size;
    // Room for the whole file and a read past its end, which says it ends.
    data.reserve(qsizetype(before.st_size) + kReadChunk);
    list::adviseHugePages(data.data(), std::size_t(data.capacity()));
    for (;;) {
        if (progress.cancelled)
            return {};
        const qsizetype at = data.size();
        const qsizetype wanted = std::min(kReadChunk, data.capacity() - at);
        data.resize(at + wanted);
        const auto got = ::read(fd, data.data() + at, std::size_t(wanted));
        data.resize(at + std::max<qsizetype>(got, 0));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return cannotOpen(path, reasonOf(errno));
        if (got == 0)
            break;
        progress.done = data.size();
        if (data.size() > ListWindow::kMaxBytes)
            break;
    }
    struct stat after {};
    if (::fstat(fd, &after) != 0 || after.st_size != before.st_size ||
        after.st_mtim.tv_sec != before.st_mtim.tv_sec ||
        after.st_mtim.tv_nsec != before.st_mtim.tv_nsec || data.size() != before.st_size)
        return cannotOpen(path, QStringLiteral(u"読み込んでいる間にファイルが変わりました。"
                                               u"もう一度開いてください。"));
    return {};
}

QString problemText(list::Problem problem, qint64 line) {
    switch (problem) {
    case list::Problem::Empty:
        return QStringLiteral(u"一覧が空です。");
    case list::Problem::Binary:
        return QStringLiteral(u"テキストファイルではありません。");
    case list::Problem::NotUtf16:
        return QStringLiteral(u"UTF-16 として読めません。");
    case list::Problem::NoNumberColumn:
        return QStringLiteral(u"電話番号の入った列が見つかりません。");
    case list::Problem::NoSuchColumn:
        return QStringLiteral(u"選んだ列はどの行にもありません。");
    case list::Problem::RowTooLong:
        return QStringLiteral(u"%1 行目から始まる行が 16 MB を超えています（引用符が閉じて"
                              u"いないのかもしれません）。")
            .arg(line);
    case list::Problem::None:
        break;
    }
    return {};
}

void runJob(ListWindow::Job& job) {
    if (job.saving) {
        QSaveFile out(job.target);
        // Unbuffered: a buffered write that the disk cuts short is not reported, and the
        // file would be renamed into place half-written.
        if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            job.error = out.errorString();
            return;
        }
        if (!job.saved->write(out, job.progress)) {
            job.cancelled = job.progress.cancelled;
            job.error = out.errorString();
            out.cancelWriting();
            return;
        }
        // Written to a temporary file beside the target and renamed over it only when whole.
        if (!out.commit())
            job.error = out.errorString();
        return;
    }
    if (job.fromFile) {
        job.error = readListFile(job.path, job.progress, job.data);
        if (!job.error.isEmpty() || job.progress.cancelled) {
            job.cancelled = job.progress.cancelled;
            return;
        }
    }
    list::ListDocument::Built built =
        list::ListDocument::build(job.data, job.options, *job.records, job.progress);
    job.cancelled = built.cancelled;
    if (built.tooManyRows)
        job.error =
            cannotOpen(job.path, QStringLiteral(u"この画面で開ける一覧は 1000 万行までです。"
                                                u"大きな一覧には、コマンドラインの "
                                                u"zunova --csv を使ってください。"));
    else if (built.problem != list::Problem::None)
        job.error = cannotOpen(job.path, problemText(built.problem, built.line));
    job.document = std::move(built.document);
}

} // namespace

ListWindow* ListWindow::openFile(const QString& path, QWidget* owner) {
    auto* window = new ListWindow(owner, path, QFileInfo(path).fileName(), {}, true, {});
    window->show();
    return window;
}

ListWindow* ListWindow::openText(const QString& text, QWidget* owner) {
    list::ListDocument::Options options;
    options.encoding = list::Encoding::Utf8;
    // Saved as UTF-8 with a byte-order mark, which spreadsheet programs read as UTF-8.
    auto* window = new ListWindow(
        owner, QString(), QStringLiteral(u"貼り付けた一覧"),
        list::byteOrderMark(list::Encoding::Utf8).toByteArray() + text.toUtf8(), false, options);
    window->show();
    return window;
}

ListWindow::ListWindow(QWidget* owner, const QString& path, const QString& name,
                       const QByteArray& data, bool fromFile,
                       const list::ListDocument::Options& readOptions)
    : QDialog(owner, Qt::Window)
    , m_path(path)
    , m_name(name)
    , m_records(std::make_shared<lookup::ReadOnceIndex>()) {
    // Its end is handled by the event loop, which runs only once the window is built.
    launch(loadJob(data, fromFile, readOptions));
    setObjectName(QStringLiteral("ListWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral(u"%1 - キャリア一覧").arg(name));
    setFont(designFont(kGothic, 11.25));
    resize(fromTwips(10500), fromTwips(6750));

    auto* encodingCaption = new QLabel(QStringLiteral(u"文字コード(&E):"), this);
    m_encodingBox = new QComboBox(this);
    m_encodingBox->setObjectName(QStringLiteral("encodingBox"));
    for (list::Encoding encoding : list::kEncodings)
        m_encodingBox->addItem(list::encodingName(encoding), int(encoding));
    m_encodingBox->setEnabled(false);
    encodingCaption->setBuddy(m_encodingBox);
    auto* columnCaption = new QLabel(QStringLiteral(u"番号の列(&N):"), this);
    m_columnBox = new QComboBox(this);
    m_columnBox->setObjectName(QStringLiteral("columnBox"));
    m_columnBox->setEnabled(false);
    m_columnBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    columnCaption->setBuddy(m_columnBox);

    m_doubt = new QLabel(this);
    m_doubt->setObjectName(QStringLiteral("doubt"));
    m_doubt->setWordWrap(true);
    m_doubt->hide();

    m_model = new ListModel(this);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("table"));
    m_table->setModel(m_model);
    m_table->setAccessibleName(QStringLiteral(u"キャリアを加えた一覧"));
    m_table->setAccessibleDescription(
        QStringLiteral(u"一覧の行ごとに、キャリアと、警告やエラーの備考を加えた表です。"));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false); // Tab goes on to the buttons
    m_table->setWordWrap(false);
    m_table->setAlternatingRowColors(true);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(true);
    // Columns as wide as the rows on screen and the next hundred: each row sized is read and
    // decoded again, and a thousand of them held up a long list's table.
    m_table->horizontalHeader()->setResizeContentsPrecision(100);

    m_counts = new QLabel(this);
    m_counts->setObjectName(QStringLiteral("counts"));
    m_counts->setAccessibleName(QStringLiteral(u"キャリアごとの件数"));
    m_counts->setWordWrap(true);
    m_counts->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setAccessibleName(QStringLiteral(u"進み具合"));
    m_progress->setRange(0, 1000);
    m_cancel = new QPushButton(QStringLiteral(u"中止"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_copy = new QPushButton(QStringLiteral(u"コピー"), this);
    m_copy->setObjectName(QStringLiteral("copy"));
    m_save = new QPushButton(QStringLiteral(u"保存"), this);
    m_save->setObjectName(QStringLiteral("save"));
    m_close = new QPushButton(QStringLiteral(u"閉じる"), this);
    m_close->setObjectName(QStringLiteral("close"));
    // Enter presses the focused button, or else 閉じる.
    m_close->setDefault(true);

    auto* options = new QHBoxLayout;
    options->addWidget(encodingCaption);
    options->addWidget(m_encodingBox);
    options->addSpacing(fromTwips(240));
    options->addWidget(columnCaption);
    options->addWidget(m_columnBox);
    options->addStretch();
    auto* working = new QHBoxLayout;
    working->addWidget(m_progress, 1);
    working->addWidget(m_cancel);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_counts, 1);
    for (QPushButton* button : {m_copy, m_save, m_close}) {
        button->setMinimumWidth(fromTwips(1215));
        buttons->addWidget(button);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(options);
    layout->addWidget(m_doubt);
    layout->addWidget(m_table, 1);
    layout->addLayout(working);
    layout->addLayout(buttons);

    setTabOrder(m_encodingBox, m_columnBox);
    setTabOrder(m_columnBox, m_table);
    setTabOrder(m_table, m_copy);
    setTabOrder(m_copy, m_save);
    setTabOrder(m_save, m_close);
    setTabOrder(m_close, m_cancel);

    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(100);
    connect(m_progressTimer, &QTimer::timeout, this, &ListWindow::showProgress);
    connect(m_cancel, &QPushButton::clicked, this, &ListWindow::cancelWork);
    connect(m_copy, &QPushButton::clicked, this, &ListWindow::copyTable);
    connect(m_save, &QPushButton::clicked, this, &ListWindow::save);
    connect(m_close, &QPushButton::clicked, this, &ListWindow::close);
    connect(m_encodingBox, &QComboBox::activated, this, &ListWindow::chooseEncoding);
    connect(m_columnBox, &QComboBox::activated, this, &ListWindow::chooseColumn);
    setWorking(true);
}

ListWindow::~ListWindow() {
    stopWork();
}

std::shared_ptr<ListWindow::Job> ListWindow::loadJob(const QByteArray& data, bool fromFile,
                                                     const list::ListDocument::Options& options) {
    auto job = std::make_shared<Job>();
    job->fromFile = fromFile;
    job->path = m_path.isEmpty() ? m_name : m_path;
    job->data = data;
    job->options = options;
    job->records = m_records;
    return job;
}

void ListWindow::startLoad(const QByteArray& data, bool fromFile,
                           const list::ListDocument::Options& options) {
    startJob(loadJob(data, fromFile, options));
}

void ListWindow::startJob(std::shared_ptr<Job> job) {
    m_focusBefore = focusWidget();
    launch(std::move(job));
    setWorking(true);
}

void ListWindow::launch(std::shared_ptr<Job> job) {
    m_job = std::move(job);
    m_thread = QThread::create([job = m_job] { runJob(*job); });
    m_thread->setParent(this);
    connect(m_thread, &QThread::finished, this, &ListWindow::finishWork);
    m_thread->start();
}

void ListWindow::stopWork() {
    if (!m_thread)
        return;
    m_job->progress.cancelled = true;
    m_thread->wait();
}

void ListWindow::cancelWork() {
    if (m_job)
        m_job->progress.cancelled = true;
}

void ListWindow::setWorking(bool working) {
    m_progress->setValue(0);
    m_progress->setVisible(working);
    m_cancel->setVisible(working);
    const bool ready = !working && m_model->document();
    for (QWidget* control : {static_cast<QWidget*>(m_copy), static_cast<QWidget*>(m_save),
                             static_cast<QWidget*>(m_columnBox)})
        control->setEnabled(ready);
    m_encodingBox->setEnabled(ready && !m_path.isEmpty());
    if (working) {
        m_progressTimer->start();
        m_cancel->setFocus();
    } else {
        m_progressTimer->stop();
    }
}

void ListWindow::showProgress() {
    if (!m_job)
        return;
    const qint64 total = m_job->progress.total;
    m_progress->setValue(total > 0 ? int(m_job->progress.done * 1000 / total) : 0);
}

void ListWindow::finishWork() {
    m_thread->wait();
    m_thread->deleteLater();
    m_thread = nullptr;
    const std::shared_ptr<Job> job = std::exchange(m_job, nullptr);
    setWorking(false);
    if (!job->saving && job->document) {
        m_data = job->data;
        m_options = job->options;
        showDocument(std::make_shared<const list::ListDocument>(std::move(*job->document)));
    } else if (!job->cancelled && !job->error.isEmpty()) {
        MessageBox::error(this, job->saving
                                    ? QStringLiteral(u"保存できませんでした。\n%1\n%2")
                                          .arg(QDir::toNativeSeparators(job->target), job->error)
                                    : job->error);
    }
    if (!m_model->document() && !m_closing) {
        // Nothing was read: there is nothing to show.
        close();
    } else {
        showOptions();
        // Back where the keyboard was: a second 保存 is one more Enter away.
        if (!m_closing)
            (m_focusBefore && m_focusBefore->isEnabled() ? m_focusBefore.data() : m_table)
                ->setFocus();
    }
    emit workDone();
}

void ListWindow::showDocument(std::shared_ptr<const list::ListDocument> document) {
    m_model->setDocument(std::move(document));
    m_counts->setText(m_model->counts());
    setWorking(false);
    showOptions();
    const list::Format& format = m_model->document()->format();
    switch (format.doubt) {
    case list::EncodingDoubt::AsciiOnly:
        m_doubt->setText(
            QStringLiteral(u"英数字だけの一覧なので、文字コードが分かりません。保存"
                           u"するキャリア名の文字コードを確かめてください（今は %1）。")
                .arg(list::encodingName(format.encoding)));
        break;
    case list::EncodingDoubt::InvalidBytes:
        m_doubt->setText(QStringLiteral(u"UTF-8 としても Shift_JIS としても読めない文字があります"
                                        u"（今は %1 として読んでいます）。表示がおかしければ、文字"
                                        u"コードを選び直してください。")
                             .arg(list::encodingName(format.encoding)));
        break;
    case list::EncodingDoubt::None:
        break;
    }
    m_doubt->setVisible(format.doubt != list::EncodingDoubt::None && !m_path.isEmpty());
    m_table->resizeColumnsToContents();
}

void ListWindow::showOptions() {
    const list::ListDocument* document = m_model->document();
    if (!document)
        return;
    const list::Format& format = document->format();
    m_encodingBox->setCurrentIndex(m_encodingBox->findData(int(format.encoding)));
    m_columnBox->clear();
    m_columnBox->addItems(m_model->fieldNames());
    m_columnBox->setCurrentIndex(format.numberColumn);
}

void ListWindow::chooseEncoding() {
    list::ListDocument::Options options = m_options;
    options.encoding = list::Encoding(m_encodingBox->currentData().toInt());
    startLoad(m_data, false, options);
}

void ListWindow::chooseColumn() {
    list::ListDocument::Options options = m_options;
    options.column = {m_columnBox->currentIndex(), {}};
    startLoad(m_data, false, options);
}

void ListWindow::copyTable() {
    QApplication::clipboard()->setText(m_model->tabSeparated());
}

void ListWindow::save() {
    if (!m_model->document())
        return;
    const QFileInfo original(m_path.isEmpty() ? QDir::home().filePath(QStringLiteral(u"一覧.csv"))
                                              : m_path);
    const QString suffix = original.suffix().isEmpty() ? QStringLiteral("csv") : original.suffix();
    const QString suggested = original.dir().filePath(
        QStringLiteral(u"%1_キャリア.%2").arg(original.completeBaseName(), suffix));
    const QString target = FileDialog::saveList(this, suggested);
    if (target.isEmpty())
        return;
    // The original stays as it is: the list is only ever written under another name.
    if (!m_path.isEmpty() &&
        (QFileInfo(target) == QFileInfo(m_path) ||
         QFileInfo(target).absoluteFilePath() == QFileInfo(m_path).absoluteFilePath())) {
        MessageBox::error(this, QStringLiteral(u"元の一覧には保存できません。別の名前を選んでくだ"
                                               u"さい。\n%1")
                                    .arg(QDir::toNativeSeparators(target)));
        return;
    }
    auto job = std::make_shared<Job>();
    job->saving = true;
    job->saved = m_model->sharedDocument();
    job->target = target;
    startJob(std::move(job));
}

void ListWindow::reject() {
    if (isWorking() && !m_closing) {
        cancelWork();
        return;
    }
    QDialog::reject();
}

void ListWindow::closeEvent(QCloseEvent* event) {
    m_closing = true;
    stopWork();
    QDialog::closeEvent(event);
}

} // namespace zunova::windows
