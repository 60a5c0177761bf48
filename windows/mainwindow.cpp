#include "mainwindow.h"

#include "filedialog.h"
#include "layout.h"
#include "listwindow.h"
#include "messagebox.h"
#include "numberfield.h"
#include "versiondialog.h"

#include "list/layout.h"
#include "lookup/query.h"
#include "runtime/runtimeerror.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>

namespace zunova::windows {
namespace {

// Return, keypad Enter and Ctrl+M all type a carriage return (character code 13).
bool typesCarriageReturn(const QKeyEvent* event) {
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    const bool alt = event->modifiers().testFlag(Qt::AltModifier);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return !ctrl && !alt;
    return event->key() == Qt::Key_M && ctrl && !alt;
}

} // namespace

QString errorBoxText(const runtime::RuntimeError& error) {
    using runtime::ErrorNumber;
    using runtime::RuntimeError;
    if (!error.file().isEmpty() && error.line() == 0) {
        // Started from a menu, the working directory is rarely where the user thinks.
        const RuntimeError withPath(error.number(), QDir::current().absoluteFilePath(error.file()));
        return withPath.report() +
               QStringLiteral(
                   u"\n\nデータファイルは、このプログラムを起動したフォルダーから読み込みます。");
    }
    if (error.file().isEmpty() && error.number() == ErrorNumber::TypeMismatch)
        return error.report() +
               QStringLiteral(u"\n\n電話番号の４桁目から７桁目には数字を入力してください。");
    return error.report();
}

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Zunova"));
    setFixedSize(fromTwips(4395), fromTwips(2595));

    const QFont gothic1125 = designFont(kGothic, 11.25);
    const QFont gothic1425 = designFont(kGothic, 14.25);

    auto* instruction = new QLabel(QStringLiteral(u"数字のみで１１桁入力してください。"), this);
    place(instruction, "Label2", twipsRect(240, 120, 3855, 255), gothic1125);
    setTextColor(instruction, QColor(255, 0, 0));

    auto* numberCaption = new QLabel(QStringLiteral(u"番  号"), this);
    place(numberCaption, "Label1", twipsRect(360, 600, 975, 375), gothic1425);

    m_numberField = new NumberField(this);
    place(m_numberField, "Text1", twipsRect(1560, 600, 2295, 420), gothic1425);
    m_numberField->setMaxLength(11);
    m_numberField->setAccessibleName(QStringLiteral(u"電話番号"));
    m_numberField->setAccessibleDescription(instruction->text());
    m_numberField->installEventFilter(this);
    numberCaption->setBuddy(m_numberField);

    auto* carrierCaption = new QLabel(QStringLiteral(u"キャリア"), this);
    place(carrierCaption, "Label3", twipsRect(120, 1200, 1215, 375), gothic1425);

    m_carrierLabel = new QLabel(this);
    place(m_carrierLabel, "Label4", twipsRect(1680, 1200, 2415, 375), gothic1425);
    // Read out by its text, the carrier; described by the caption beside it.
    m_carrierLabel->setAccessibleDescription(carrierCaption->text());
    // Selectable with the mouse and copied with Ctrl+C; it still takes no place in the Tab order.
    m_carrierLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_carrierLabel->setToolTip(QStringLiteral(
        u"この番号の局番が割り当てられた事業者です。番号ポータビリティで他社に移った番号は、"
        u"現在は別の事業者のことがあります。"));

    auto* queryButton = new QPushButton(QStringLiteral(u"調査"), this);
    place(queryButton, "Command1", twipsRect(120, 1920, 1215, 495), gothic1425);
    auto* versionButton = new QPushButton(QStringLiteral("Version"), this);
    place(versionButton, "Command3", twipsRect(1560, 1920, 1215, 495), designFont(kPGothic, 14.25));
    auto* quitButton = new QPushButton(QStringLiteral(u"終了"), this);
    place(quitButton, "Command2", twipsRect(3000, 1920, 1215, 495), gothic1425);

    // Labels and buttons are announced by their text; none is a default button.
    for (QPushButton* button : {queryButton, quitButton, versionButton})
        button->setAutoDefault(false);

    setTabOrder(m_numberField, queryButton);
    setTabOrder(queryButton, versionButton);
    setTabOrder(versionButton, quitButton);
    m_numberField->setFocus();

    // A carrier is only ever shown beside the number it was found for.
    connect(m_numberField, &QLineEdit::textEdited, this, &MainWindow::clearResult);
    connect(queryButton, &QPushButton::clicked, this, &MainWindow::query);
    connect(quitButton, &QPushButton::clicked, this, &MainWindow::endProgram);
    connect(versionButton, &QPushButton::clicked, this, &MainWindow::showVersion);

    // Lists open in windows of their own; this window's controls stay as they are.
    setAcceptDrops(true);
    auto* open = new QShortcut(QKeySequence::Open, this);
    connect(open, &QShortcut::activated, this, &MainWindow::openListFile);
    connect(m_numberField, &NumberField::listGiven, this, &MainWindow::openText);
    connect(m_numberField, &NumberField::filesGiven, this, &MainWindow::openFiles);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_numberField && event->type() == QEvent::KeyPress &&
        typesCarriageReturn(static_cast<QKeyEvent*>(event)))
        query();
    // The key always goes on to the entry box unchanged.
    return QWidget::eventFilter(watched, event);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        centreOnScreen(this);
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* data = event->mimeData();
    if (!localFiles(data).isEmpty() || (data->hasText() && list::holdsSeveralNumbers(data->text())))
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    event->acceptProposedAction();
    if (const QStringList files = localFiles(data); !files.isEmpty())
        openFiles(files);
    else if (data->hasText() && list::holdsSeveralNumbers(data->text()))
        openText(data->text());
}

void MainWindow::openListFile() {
    if (const QString path = FileDialog::openList(this); !path.isEmpty())
        openFiles({path});
}

void MainWindow::openFiles(const QStringList& paths) {
    for (const QString& path : paths)
        ListWindow::openFile(path, this);
}

void MainWindow::openText(const QString& text) {
    ListWindow::openText(text, this);
}

void MainWindow::query() {
    const lookup::Answer answer = lookup::lookUp(m_numberField->text(), m_records);
    if (const auto* carrier = std::get_if<lookup::Carrier>(&answer)) {
        m_carrierLabel->setText(carrier->name());
    } else if (const auto* warning = std::get_if<lookup::Warning>(&answer)) {
        // Whatever the warning empties goes only once the user has read the box.
        MessageBox::warning(this, lookup::fixedText(warning->text));
        if (warning->emptiesEntry) {
            m_numberField->setText(QString());
            m_carrierLabel->clear();
        }
    } else {
        // Report and carry on: the number stays for correcting, no stale carrier stays beside it.
        m_carrierLabel->clear();
        MessageBox::error(this, errorBoxText(std::get<runtime::RuntimeError>(answer)));
    }
}

void MainWindow::clearResult() {
    m_carrierLabel->clear();
}

void MainWindow::endProgram() {
    QCoreApplication::exit(0);
}

void MainWindow::showVersion() {
    // Built afresh at every showing, with no owner; nothing of it outlives the click.
    VersionDialog dialog;
    dialog.exec();
}

} // namespace zunova::windows
