#include "numberedit.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

namespace zunova::windows {
namespace {

int digitValue(char16_t u) {
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'\uFF10' && u <= u'\uFF19')
        return u - u'\uFF10';
    return -1;
}

// What people put between the groups of a number: spaces, hyphens and dashes of every width
// (a long-vowel mark stands in for a hyphen in Japanese text), dots and parentheses.
bool isSeparator(char16_t u) {
    switch (u) {
    case u' ':
    case u'\u3000': // ideographic space
    case u'-':
    case u'\u2010': // hyphen
    case u'\u2011': // non-breaking hyphen
    case u'\u2012': // figure dash
    case u'\u2013': // en dash
    case u'\u2014': // em dash
    case u'\u2015': // horizontal bar
    case u'\u2212': // minus sign
    case u'\uFF0D': // full-width hyphen-minus
    case u'\u30FC': // katakana long-vowel mark
    case u'\uFF70': // half-width long-vowel mark
    case u'.':
    case u'\uFF0E': // full-width full stop
    case u'(':
    case u')':
    case u'\uFF08': // full-width parentheses
    case u'\uFF09':
        return true;
    default:
        return false;
    }
}

} // namespace

NumberEdit::NumberEdit(QWidget* parent)
    : QLineEdit(parent) {
    // A Japanese input method would turn typed digits into full-width ones, which are no mobile
    // number's prefix; the box takes keys as they are and tells input methods it wants digits.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setInputMethodHints(Qt::ImhPreferNumbers | Qt::ImhLatinOnly | Qt::ImhNoPredictiveText);
}

QString NumberEdit::digitsOfNumber(const QString& text) {
    QString digits;
    for (QChar c : text) {
        const int d = digitValue(c.unicode());
        if (d >= 0)
            digits += QChar(u'0' + d);
        else if (!isSeparator(c.unicode()))
            return text;
    }
    return digits.isEmpty() ? text : digits;
}

QVariant NumberEdit::inputMethodQuery(Qt::InputMethodQuery property) const {
    // The line edit would answer "enabled" whatever the widget attribute says.
    if (property == Qt::ImEnabled)
        return false;
    return QLineEdit::inputMethodQuery(property);
}

bool NumberEdit::insertFitting(const QString& text) {
    const qsizetype room = maxLength() - (this->text().size() - selectedText().size());
    qsizetype cut = std::min(text.size(), std::max<qsizetype>(room, 0));
    // Never half a surrogate pair.
    if (cut > 0 && cut < text.size() && text[cut - 1].isHighSurrogate())
        --cut;
    if (cut == 0 && !text.isEmpty())
        return false;
    insert(text.left(cut));
    return true;
}

void NumberEdit::pasteFrom(QClipboard::Mode mode) {
    if (isReadOnly())
        return;
    insertFitting(digitsOfNumber(QGuiApplication::clipboard()->text(mode)));
}

void NumberEdit::keyPressEvent(QKeyEvent* event) {
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

void NumberEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton && !isReadOnly() &&
        QGuiApplication::clipboard()->supportsSelection()) {
        deselect();
        pasteFrom(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void NumberEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    // The menu's own paste would insert the text as it is. Its entry is found by the same
    // (translated) text the line edit gives it.
    const QString pasteText = QLineEdit::tr("&Paste");
    for (QAction* action : menu->actions()) {
        if (action->text().section(u'\t', 0, 0) != pasteText)
            continue;
        disconnect(action, &QAction::triggered, this, nullptr);
        connect(action, &QAction::triggered, this, [this] { pasteFrom(QClipboard::Clipboard); });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void NumberEdit::dropEvent(QDropEvent* event) {
    // A drag inside the box moves its own text; only text from elsewhere is a paste.
    if (isReadOnly() || event->source() == this || !event->mimeData()->hasText()) {
        QLineEdit::dropEvent(event);
        return;
    }
    deselect();
    setCursorPosition(cursorPositionAt(event->position().toPoint()));
    insertFitting(digitsOfNumber(event->mimeData()->text()));
    event->acceptProposedAction();
    setFocus(Qt::MouseFocusReason);
}

} // namespace zunova::windows
