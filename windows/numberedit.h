#pragma once

#include <QClipboard>
#include <QLineEdit>

namespace zunova::windows {

// The entry box for the number. Typing goes in as it is; pasted or dropped text that is a
// telephone number written with separators ("090-1234-5678", "(０９０) １２３４ ５６７８")
// goes in as its digits. Whatever goes in is cut to what fits, never inside a character.
class NumberEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit NumberEdit(QWidget* parent = nullptr);

    // The digits of `text`, full-width ones as ASCII, when it holds digits and separators only;
    // otherwise `text` unchanged.
    static QString digitsOfNumber(const QString& text);

    QVariant inputMethodQuery(Qt::InputMethodQuery property) const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void pasteFrom(QClipboard::Mode mode);
    // Inserts as much of `text` as fits in whole characters; returns false when nothing fitted.
    bool insertFitting(const QString& text);
};

} // namespace zunova::windows
