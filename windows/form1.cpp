#include "form1.h"

#include "form2.h"
#include "layout.h"
#include "messagebox.h"
#include "numberedit.h"

#include "runtime/runtimeerror.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

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

Form1::Form1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Zunova"));
    setFixedSize(fromTwips(4395), fromTwips(2595));

    const QFont gothic1125 = designFont(kGothic, 11.25);
    const QFont gothic1425 = designFont(kGothic, 14.25);

    auto* label2 = new QLabel(QStringLiteral(u"数字のみで１１桁入力してください。"), this);
    place(label2, "Label2", twipsRect(240, 120, 3855, 255), gothic1125);
    setTextColor(label2, QColor(255, 0, 0));

    auto* label1 = new QLabel(QStringLiteral(u"番  号"), this);
    place(label1, "Label1", twipsRect(360, 600, 975, 375), gothic1425);

    m_text1 = new NumberEdit(this);
    place(m_text1, "Text1", twipsRect(1560, 600, 2295, 420), gothic1425);
    m_text1->setMaxLength(11);
    m_text1->setAccessibleName(QStringLiteral(u"電話番号"));
    m_text1->setAccessibleDescription(label2->text());
    m_text1->installEventFilter(this);
    label1->setBuddy(m_text1);

    auto* label3 = new QLabel(QStringLiteral(u"キャリア"), this);
    place(label3, "Label3", twipsRect(120, 1200, 1215, 375), gothic1425);

    m_label4 = new QLabel(this);
    place(m_label4, "Label4", twipsRect(1680, 1200, 2415, 375), gothic1425);
    // Read out by its text, the carrier; described by the caption beside it.
    m_label4->setAccessibleDescription(label3->text());
    // Selectable with the mouse and copied with Ctrl+C; it still takes no place in the Tab order.
    m_label4->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_label4->setToolTip(QStringLiteral(
        u"この番号の局番が割り当てられた事業者です。番号ポータビリティで他社に移った番号は、"
        u"現在は別の事業者のことがあります。"));

    auto* command1 = new QPushButton(QStringLiteral(u"調査"), this);
    place(command1, "Command1", twipsRect(120, 1920, 1215, 495), gothic1425);
    auto* command3 = new QPushButton(QStringLiteral("Version"), this);
    place(command3, "Command3", twipsRect(1560, 1920, 1215, 495), designFont(kPGothic, 14.25));
    auto* command2 = new QPushButton(QStringLiteral(u"終了"), this);
    place(command2, "Command2", twipsRect(3000, 1920, 1215, 495), gothic1425);

    // Labels and buttons are announced by their text; none is a default button.
    for (QPushButton* button : {command1, command2, command3})
        button->setAutoDefault(false);

    setTabOrder(m_text1, command1);
    setTabOrder(command1, command3);
    setTabOrder(command3, command2);
    m_text1->setFocus();

    // A carrier is only ever shown beside the number it was found for.
    connect(m_text1, &QLineEdit::textEdited, this, &Form1::clearResult);
    connect(command1, &QPushButton::clicked, this, &Form1::query);
    connect(command2, &QPushButton::clicked, this, &Form1::endProgram);
    connect(command3, &QPushButton::clicked, this, &Form1::showVersion);
}

QString Form1::text1Text() const {
    return m_text1->text();
}
void Form1::setText1Text(const QString& text) {
    m_text1->setText(text);
}
void Form1::setLabel4Caption(const QString& caption) {
    m_label4->setText(caption);
}
void Form1::showWarning(const QString& text) {
    MessageBox::warning(this, text);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_text1 && event->type() == QEvent::KeyPress &&
        typesCarriageReturn(static_cast<QKeyEvent*>(event)))
        query();
    // The key always goes on to the entry box unchanged.
    return QWidget::eventFilter(watched, event);
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        centreOnScreen(this);
    }
}

void Form1::query() {
    try {
        m_lookup.Chousa();
    } catch (const runtime::RuntimeError& error) {
        // Report and carry on: the number stays for correcting, no stale carrier stays beside it.
        setLabel4Caption(QString());
        MessageBox::error(this, errorBoxText(error));
    }
}

void Form1::clearResult() {
    m_label4->clear();
}

void Form1::endProgram() {
    QCoreApplication::exit(0);
}

void Form1::showVersion() {
    // Built afresh at every showing, with no owner; nothing of it outlives the click.
    Form2 dialog;
    dialog.exec();
}

} // namespace zunova::windows
