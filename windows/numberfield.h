#pragma once

#include <QClipboard>
#include <QLineEdit>

namespace zunova::windows {

// The entry box for the number. Typing goes in as it is; pasted or dropped text that is a
// telephone number written with separators ("090-1234-5678", "(０９０) １２３４ ５６７８")
// goes in as its digits. Whatever goes in is cut to what fits, never inside a character.
class NumberField : public QLineEdit {
    Q_OBJECT

public:
    explicit NumberField(QWidget* parent = nullptr);

    QVariant inputMethodQuery(Qt::InputMethodQuery property) const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void pasteFrom(QClipboard::Mode mode);
    // Inserts as much of `text` as fits, in whole characters.
    void insertFitting(const QString& text);
};

} // namespace zunova::windows
