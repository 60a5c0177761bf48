#include "listwindow.h"

#include "filedialog.h"
#include "itemslabel.h"
#include "layout.h"
#include "listmodel.h"
#include "messagebox.h"

#include "list/listfile.h"
#include "list/messages.h"
#include "lookup/readonceindex.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QStorageInfo>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>
#include <variant>

#include <sys/resource.h>

namespace zunova::windows {

// Reads a list, from its file or from bytes given, into a document.
struct ListLoadJob {
    QString path; // the file, read when `data` is null
    QByteArray data;
    textlist::Options options;
    workbook::SheetChoice sheet;
    std::shared_ptr<lookup::ReadOnceIndex> records;
    bool reread = false;   // another encoding, column or sheet for the list shown before
    bool workbook = false; // `data` is a workbook's, read before
    std::optional<list::ListDocument> document;
    std::optional<textlist::Format> format;      // a text list's
    std::optional<workbook::WorkbookSheet> book; // the sheet, where the list is a workbook
    list::Outcome outcome;
};

// Writes a document to a file under a new name: its rows, or a copy of its workbook.
struct ListSaveJob {
    std::shared_ptr<const list::ListDocument> document;
    QString target;
    QString error; // why it was not saved, if it was not (and not cancelled)
    bool saved = false;
};

// Makes a document's table into tab-separated text for the clipboard.
struct ListCopyJob {
    std::shared_ptr<const list::ListDocument> document;
    QString text;
};

// A job and how far it has come, shared by the window and its worker thread.
struct ListWork {
    list::Progress progress;
    std::variant<ListLoadJob, ListSaveJob, ListCopyJob> job;
};

namespace {

template <class... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
// clang before 17 deduces no aggregate's arguments without it.
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

// What went wrong with a list, and where in it.
QString problemText(const list::Outcome& outcome) {
    const QString where = list::whereText(outcome);
    return (where.isEmpty() ? QString() : where + u'\n') +
           list::problemText(outcome, list::Front::Window);
}

// Why a save failed, in Japanese for the common reasons, told from what can be seen of the
// target and its place at the moment of the failure; else Qt's own words for it.
QString saveFailure(const QSaveFile& out) {
    const QFileInfo target(out.fileName());
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir())
        return QStringLiteral(u"保存先のフォルダーがありません。");
    if (target.isDir())
        return QStringLiteral(u"フォルダーです。");
    const QStorageInfo place(folder.absoluteFilePath());
    if (place.isReadOnly())
        return QStringLiteral(u"読み取り専用の場所には書き込めません。");
    if (!folder.isWritable() || (target.exists() && !target.isWritable()))
        return QStringLiteral(u"書き込む権限がありません。");
    // The temporary file, still there, has grown to the size this process may write.
    rlimit limit{};
    if (out.isOpen() && getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        out.size() >= qint64(limit.rlim_cur))
        return QStringLiteral(u"ファイルが大きすぎます。");
    // A write the disk refused leaves less than a block or two.
    if (place.bytesAvailable() < 1024 * 1024)
        return QStringLiteral(u"ディスクに空きがありません。");
    return out.errorString();
}

void run(ListLoadJob& job, list::Progress& progress) {
    if (job.data.isNull()) {
        job.outcome = list::readWholeFile(job.path, ListWindow::kMaxBytes, progress, job.data);
        if (!job.outcome.ok())
            return;
        job.workbook = workbook::isWorkbook(
            QByteArrayView(job.data).first(std::min(job.data.size(), qsizetype(8))), job.path);
    }
    if (job.workbook) {
        auto read = workbook::readWorkbookList(job.data, job.sheet, job.options.column,
                                               *job.records, progress);
        if (auto* book = std::get_if<workbook::SheetList>(&read)) {
            job.book = book->sheet;
            job.document = std::move(book->document);
        } else {
            job.outcome = std::get<list::Outcome>(read);
        }
        return;
    }
    auto read = textlist::readTextList(job.data, job.options, *job.records, progress);
    if (auto* text = std::get_if<textlist::TextList>(&read)) {
        job.format = text->format;
        job.document = std::move(text->document);
    } else {
        job.outcome = std::get<list::Outcome>(read);
    }
}

void run(ListSaveJob& job, list::Progress& progress) {
    QSaveFile out(job.target);
    // Unbuffered: a buffered write that the disk cuts short is not reported, and the file would
    // be renamed into place half-written.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        job.error = saveFailure(out);
        return;
    }
    const list::Outcome written = job.document->write(out, progress);
    if (progress.cancelled) {
        out.cancelWriting(); // stopped: nothing written, nothing to say
        return;
    }
    if (!written.ok()) {
        job.error = out.error() != QFileDevice::NoError
                        ? saveFailure(out)
                        : list::problemText(written, list::Front::Window);
        out.cancelWriting();
        return;
    }
    // Written to a temporary file beside the target and renamed over it only when whole.
    job.saved = out.commit();
    if (!job.saved)
        job.error = saveFailure(out);
}

void run(ListCopyJob& job, list::Progress& progress) {
    job.text = tabSeparated(*job.document, progress);
}

} // namespace

ListWindow* ListWindow::openFile(const QString& path, QWidget* owner) {
    auto* window = new ListWindow(owner, path, QFileInfo(path).fileName());
    window->show();
    window->load(QByteArray(), {});
    return window;
}

ListWindow* ListWindow::openText(const QString& text, QWidget* owner) {
    // Saved as UTF-8 with a byte-order mark, which spreadsheet programs read as UTF-8.
    const QByteArray data =
        text.size() > kMaxBytes
            ? QByteArray()
            : textlist::byteOrderMark(textlist::Encoding::Utf8).toByteArray() + text.toUtf8();
    if (data.isEmpty() || data.size() > kMaxBytes) {
        MessageBox::error(owner, QStringLiteral(u"貼り付けた一覧を開けません。\n") +
                                     problemText({.problem = list::Problem::TooLarge}));
        return nullptr;
    }
    auto* window = new ListWindow(owner, QString(), QStringLiteral(u"貼り付けた一覧"));
    window->show();
    textlist::Options options;
    options.encoding = textlist::Encoding::Utf8;
    window->load(data, options);
    return window;
}

ListWindow::ListWindow(QWidget* owner, const QString& path, const QString& name)
    : QDialog(owner, Qt::Window)
    , m_path(path)
    , m_name(name)
    , m_records(std::make_shared<lookup::ReadOnceIndex>()) {
    setObjectName(QStringLiteral("ListWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral(u"%1 - キャリア一覧").arg(name));
    setFont(designFont(kGothic, 11.25));
    resize(fromTwips(10500), fromTwips(6750));

    m_encodingCaption = new QLabel(QStringLiteral(u"文字コード(&E):"), this);
    m_encodingBox = new QComboBox(this);
    m_encodingBox->setObjectName(QStringLiteral("encodingBox"));
    for (textlist::Encoding encoding : textlist::kEncodings)
        m_encodingBox->addItem(textlist::encodingName(encoding), int(encoding));
    m_encodingCaption->setBuddy(m_encodingBox);
    m_sheetCaption = new QLabel(QStringLiteral(u"シート(&S):"), this);
    m_sheetBox = new QComboBox(this);
    m_sheetBox->setObjectName(QStringLiteral("sheetBox"));
    m_sheetBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_sheetCaption->setBuddy(m_sheetBox);
    m_sheetCaption->hide();
    m_sheetBox->hide();
    auto* columnCaption = new QLabel(QStringLiteral(u"番号の列(&N):"), this);
    m_columnBox = new QComboBox(this);
    m_columnBox->setObjectName(QStringLiteral("columnBox"));
    m_columnBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    columnCaption->setBuddy(m_columnBox);

    m_used = new QLabel(this);
    m_used->setObjectName(QStringLiteral("used"));
    m_doubt = new QLabel(this);
    m_doubt->setObjectName(QStringLiteral("doubt"));
    m_doubt->setWordWrap(true);
    m_doubt->hide();

    createTable();

    m_counts = new ItemsLabel(this);
    m_counts->setObjectName(QStringLiteral("counts"));
    m_counts->setAccessibleName(QStringLiteral(u"キャリアごとの件数"));
    m_counts->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_saved = new QLabel(this);
    m_saved->setObjectName(QStringLiteral("saved"));
    m_saved->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_saved->hide();

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

    layOutControls(columnCaption);

    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(100);
    connect(m_progressTimer, &QTimer::timeout, this, &ListWindow::showProgress);
    connect(m_cancel, &QPushButton::clicked, this, &ListWindow::cancelWork);
    connect(m_copy, &QPushButton::clicked, this, &ListWindow::copyTable);
    connect(m_save, &QPushButton::clicked, this, &ListWindow::save);
    connect(m_close, &QPushButton::clicked, this, &ListWindow::close);
    connect(m_encodingBox, &QComboBox::activated, this, &ListWindow::chooseEncoding);
    connect(m_columnBox, &QComboBox::activated, this, &ListWindow::chooseColumn);
    connect(m_sheetBox, &QComboBox::activated, this, &ListWindow::chooseSheet);
    setWorking(false);
}

void ListWindow::createTable() {
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
    // decoded again.
    m_table->horizontalHeader()->setResizeContentsPrecision(100);
}

void ListWindow::layOutControls(QLabel* columnCaption) {
    auto* options = new QHBoxLayout;
    options->addWidget(m_encodingCaption);
    options->addWidget(m_encodingBox);
    options->addSpacing(fromTwips(240));
    options->addWidget(m_sheetCaption);
    options->addWidget(m_sheetBox);
    options->addWidget(columnCaption);
    options->addWidget(m_columnBox);
    options->addSpacing(fromTwips(240));
    options->addWidget(m_used, 1);
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
    layout->addWidget(m_saved);
    layout->addLayout(working);
    layout->addLayout(buttons);

    setTabOrder(m_encodingBox, m_sheetBox);
    setTabOrder(m_sheetBox, m_columnBox);
    setTabOrder(m_columnBox, m_table);
    setTabOrder(m_table, m_copy);
    setTabOrder(m_copy, m_save);
    setTabOrder(m_save, m_close);
    setTabOrder(m_close, m_cancel);
}

ListWindow::~ListWindow() {
    stopWork();
}

void ListWindow::load(const QByteArray& data, const textlist::Options& options) {
    auto work = std::make_unique<ListWork>();
    ListLoadJob job;
    job.path = m_path.isEmpty() ? m_name : m_path;
    job.data = data;
    job.options = options;
    job.records = m_records;
    work->job = std::move(job);
    start(std::move(work));
}

void ListWindow::reread(const textlist::Options& options, const workbook::SheetChoice& sheet) {
    m_model->setDocument(nullptr);
    auto work = std::make_unique<ListWork>();
    ListLoadJob job;
    job.path = m_path.isEmpty() ? m_name : m_path;
    job.data = m_data;
    job.options = options;
    job.sheet = sheet;
    job.records = m_records;
    job.reread = true;
    job.workbook = m_book.has_value();
    work->job = std::move(job);
    start(std::move(work));
}

void ListWindow::start(std::unique_ptr<ListWork> work) {
    m_focusBefore = focusWidget();
    m_work = std::move(work);
    m_thread = QThread::create(
        [work = m_work] { std::visit([&](auto& job) { run(job, work->progress); }, work->job); });
    m_thread->setParent(this);
    connect(m_thread, &QThread::finished, this, &ListWindow::finishWork);
    m_thread->start();
    setWorking(true);
}

void ListWindow::stopWork() {
    if (!m_thread)
        return;
    m_work->progress.cancelled = true;
    m_thread->wait();
}

void ListWindow::cancelWork() {
    if (m_work)
        m_work->progress.cancelled = true;
}

void ListWindow::setWorking(bool working) {
    m_progress->setValue(0);
    m_progress->setVisible(working);
    m_cancel->setVisible(working);
    const bool ready = !working && m_model->document();
    for (QWidget* control : {static_cast<QWidget*>(m_copy), static_cast<QWidget*>(m_save),
                             static_cast<QWidget*>(m_columnBox), static_cast<QWidget*>(m_sheetBox)})
        control->setEnabled(ready);
    // A text list's encoding may always be chosen again; a workbook's cells are text already.
    m_encodingBox->setEnabled(ready);
    if (working) {
        m_progressTimer->start();
        m_cancel->setFocus();
    } else {
        m_progressTimer->stop();
    }
}

void ListWindow::showProgress() {
    if (!m_work)
        return;
    const qint64 total = m_work->progress.total;
    m_progress->setValue(total > 0 ? int(m_work->progress.done * 1000 / total) : 0);
}

void ListWindow::finishWork() {
    m_thread->wait();
    m_thread->deleteLater();
    m_thread = nullptr;
    const std::shared_ptr<ListWork> work = std::exchange(m_work, nullptr);
    setWorking(false);
    std::visit(Overloaded{[&](ListLoadJob& job) { finishLoad(job); },
                          [&](ListSaveJob& job) { finishSave(job); },
                          [&](ListCopyJob& job) {
                              finishCopy(job);
                          }},
               work->job);
    if (m_closing || isWorking()) {
        // Going, or reading once more.
    } else if (!m_model->document()) {
        // Nothing was read: there is nothing to show.
        close();
    } else {
        // Back where the keyboard was: a second 保存 is one more Enter away.
        (m_focusBefore && m_focusBefore->isEnabled() ? m_focusBefore.data() : m_table)->setFocus();
    }
    emit workDone();
}

void ListWindow::finishLoad(ListLoadJob& job) {
    if (job.document) {
        m_data = job.data; // the file's bytes, or the text pasted
        m_options = job.options;
        m_sheetChoice = job.sheet;
        m_format = job.format;
        m_book = job.book;
        showDocument(std::make_shared<const list::ListDocument>(std::move(*job.document)));
        return;
    }
    if (job.outcome.problem != list::Problem::Cancelled && !m_closing)
        MessageBox::error(this,
                          QStringLiteral(u"一覧を開けません。\n%1\n%2")
                              .arg(QDir::toNativeSeparators(job.path), problemText(job.outcome)));
    // Another encoding, column or sheet that did not read: the list as it was shown, once more.
    if (job.reread && !m_closing)
        reread(m_options, m_sheetChoice);
}

void ListWindow::finishSave(ListSaveJob& job) {
    if (!job.error.isEmpty() && !m_closing)
        MessageBox::error(this, QStringLiteral(u"保存できませんでした。\n%1\n%2")
                                    .arg(QDir::toNativeSeparators(job.target), job.error));
    // Said where it went, which the file dialog may have hidden.
    if (job.saved)
        m_saved->setText(
            QStringLiteral(u"保存しました: %1").arg(QDir::toNativeSeparators(job.target)));
    m_saved->setVisible(job.saved);
}

void ListWindow::finishCopy(ListCopyJob& job) {
    if (!job.text.isNull())
        QApplication::clipboard()->setText(job.text);
}

void ListWindow::showDocument(std::shared_ptr<const list::ListDocument> document) {
    m_model->setDocument(std::move(document));
    m_counts->setItems(m_model->counts());
    setWorking(false);
    showOptions();
    const list::ListDocument& shown = *m_model->document();
    QStringList notices;
    // The encoding matters for a file; pasted text is saved as UTF-8 whatever it held.
    if (m_format && !m_path.isEmpty()) {
        const QString encoding = textlist::encodingName(m_format->encoding);
        if (m_format->doubt == textlist::EncodingDoubt::AsciiOnly)
            notices << QStringLiteral(u"英数字だけの一覧なので、文字コードが分かりません。保存"
                                      u"するキャリア名の文字コードを確かめてください（今は %1）。")
                           .arg(encoding);
        if (m_format->doubt == textlist::EncodingDoubt::InvalidBytes)
            notices << list::doubtfulEncodingText(encoding, list::Front::Window);
    }
    if (const auto& quote = shown.unclosedQuote())
        notices << list::whereText({.line = quote->line}) + QStringLiteral(u": ") +
                       list::unclosedQuoteText(quote->lines, list::Front::Window);
    m_doubt->setText(notices.join(u'\n'));
    m_doubt->setVisible(!notices.isEmpty());
    m_table->resizeColumnsToContents();
    // The number and what the list got on screen first, however many columns come before.
    m_table->scrollTo(m_model->index(0, m_model->noteColumn()), QAbstractItemView::EnsureVisible);
    m_table->scrollTo(m_model->index(0, shown.layout().numberColumn),
                      QAbstractItemView::EnsureVisible);
    showUsed(shown);
}

void ListWindow::showUsed(const list::ListDocument& shown) {
    const list::Layout& layout = shown.layout();
    const qsizetype header = shown.headerIndex();
    m_used->setText(list::layoutText(
        m_book ? m_book->workbook->sheets()[std::size_t(m_book->sheet)].name : QString(),
        header >= 0 ? shown.rows()[std::size_t(header)].line : 0, layout.numberColumn,
        layout.columnNames.value(layout.numberColumn)));
}

void ListWindow::showOptions() {
    const list::ListDocument* document = m_model->document();
    if (!document)
        return;
    if (m_format)
        m_encodingBox->setCurrentIndex(m_encodingBox->findData(int(m_format->encoding)));
    m_columnBox->clear();
    m_columnBox->addItems(fieldNames(*document));
    m_columnBox->setCurrentIndex(document->layout().numberColumn);
    m_encodingCaption->setVisible(!m_book);
    m_encodingBox->setVisible(!m_book);
    m_sheetCaption->setVisible(m_book.has_value());
    m_sheetBox->setVisible(m_book.has_value());
    if (m_book) {
        m_sheetBox->clear();
        for (const workbook::Sheet& sheet : m_book->workbook->sheets())
            m_sheetBox->addItem(sheet.name);
        m_sheetBox->setCurrentIndex(m_book->sheet);
    }
}

void ListWindow::chooseEncoding() {
    textlist::Options options = m_options;
    options.encoding = textlist::Encoding(m_encodingBox->currentData().toInt());
    reread(options, m_sheetChoice);
}

void ListWindow::chooseColumn() {
    textlist::Options options = m_options;
    options.column = {m_columnBox->currentIndex(), {}};
    reread(options, m_book ? workbook::SheetChoice{m_book->sheet, {}} : m_sheetChoice);
}

void ListWindow::chooseSheet() {
    // Another sheet: its own number column, found afresh.
    textlist::Options options = m_options;
    options.column = {};
    reread(options, {m_sheetBox->currentIndex(), {}});
}

void ListWindow::copyTable() {
    const list::ListDocument* document = m_model->document();
    if (!document)
        return;
    if (qsizetype(document->rows().size()) > kMaxCopiedRows) {
        MessageBox::error(this, QStringLiteral(u"コピーできるのは %1 万行までです。長い一覧は"
                                               u"保存してください。")
                                    .arg(kMaxCopiedRows / 10'000));
        return;
    }
    auto work = std::make_unique<ListWork>();
    work->job = ListCopyJob{m_model->sharedDocument(), {}};
    start(std::move(work));
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
    auto work = std::make_unique<ListWork>();
    work->job = ListSaveJob{m_model->sharedDocument(), target, {}, false};
    start(std::move(work));
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
