#include "numberfield.h"

#include "list/layout.h"
#include "lookup/writtennumber.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

namespace zunova::windows {

QStringList localFiles(const QMimeData* data) {
    QStringList files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    return files;
}

NumberField::NumberField(QWidget* parent)
    : QLineEdit(parent) {
    // A Japanese input method would turn typed digits into full-width ones, which are no mobile
    // number's prefix; the box takes keys as they are and tells input methods it wants digits.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setInputMethodHints(Qt::ImhPreferNumbers | Qt::ImhLatinOnly | Qt::ImhNoPredictiveText);
}

QVariant NumberField::inputMethodQuery(Qt::InputMethodQuery property) const {
    // The line edit would answer "enabled" whatever the widget attribute says.
    if (property == Qt::ImEnabled)
        return false;
    return QLineEdit::inputMethodQuery(property);
}

void NumberField::insertFitting(const QString& text) {
    const qsizetype room = maxLength() - (this->text().size() - selectedText().size());
    qsizetype cut = std::min(text.size(), std::max<qsizetype>(room, 0));
    // Never half a surrogate pair.
    if (cut > 0 && cut < text.size() && text[cut - 1].isHighSurrogate())
        --cut;
    if (cut > 0 || text.isEmpty())
        insert(text.left(cut));
}

void NumberField::pasteFrom(QClipboard::Mode mode) {
    if (isReadOnly())
        return;
    const QString text = QGuiApplication::clipboard()->text(mode);
    if (list::holdsSeveralNumbers(text)) {
        emit listGiven(text);
        return;
    }
    insertFitting(lookup::digitsOfWrittenNumber(text));
}

void NumberField::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        pasteFrom(QClipboard::Clipboard);
        event->accept();
        return;
    }
    // A typed character outside the Basic Multilingual Plane is two units; where only one
    // fits, it is refused like any character past the eleventh.
    const QString typed = event->text();
    if (!isReadOnly() && typed.size() == 2 && typed[0].isHighSurrogate() &&
        maxLength() - (text().size() - selectedText().size()) == 1) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void NumberField::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton && !isReadOnly() &&
        QGuiApplication::clipboard()->supportsSelection()) {
        deselect();
        pasteFrom(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void NumberField::contextMenuEvent(QContextMenuEvent* event) {
    // Qt's own menu, with Qt's texts (translated) and shortcuts; only its paste is rewired, so
    // that it goes through the paste rule like every other paste. Qt names the entry with this
    // very translation, in every language: Qt's own (the text is not a literal here, so the
    // program's catalogue does not take it in).
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    static constexpr char kPaste[] = "&Paste";
    const QString pasteText = QLineEdit::tr(kPaste);
    for (QAction* action : menu->actions()) {
        if (action->text().section(u'\t', 0, 0) != pasteText)
            continue;
        // Whatever Qt connected to the field; the menu's own connection stays.
        disconnect(action, nullptr, this, nullptr);
        connect(action, &QAction::triggered, this, [this] { pasteFrom(QClipboard::Clipboard); });
    }
    menu->popup(event->globalPos());
}

void NumberField::dragEnterEvent(QDragEnterEvent* event) {
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        QLineEdit::dragEnterEvent(event);
}

void NumberField::dragMoveEvent(QDragMoveEvent* event) {
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        QLineEdit::dragMoveEvent(event);
}

void NumberField::dropEvent(QDropEvent* event) {
    if (const QStringList files = localFiles(event->mimeData()); !files.isEmpty()) {
        event->acceptProposedAction();
        emit filesGiven(files);
        return;
    }
    // A drag inside the box moves its own text; only text from elsewhere is a paste.
    if (isReadOnly() || event->source() == this || !event->mimeData()->hasText()) {
        QLineEdit::dropEvent(event);
        return;
    }
    if (list::holdsSeveralNumbers(event->mimeData()->text())) {
        event->acceptProposedAction();
        emit listGiven(event->mimeData()->text());
        return;
    }
    deselect();
    setCursorPosition(cursorPositionAt(event->position().toPoint()));
    insertFitting(lookup::digitsOfWrittenNumber(event->mimeData()->text()));
    event->acceptProposedAction();
    setFocus(Qt::MouseFocusReason);
}

} // namespace zunova::windows
