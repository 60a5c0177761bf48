#pragma once

#include <QClipboard>
#include <QLineEdit>
#include <QStringList>

class QMimeData;

namespace zunova::windows {

// The local files among dropped data.
QStringList localFiles(const QMimeData* data);

// The entry box for the number. Typing goes in as it is; pasted or dropped text that is a
// telephone number written with separators ("090-1234-5678", "(０９０) １２３４ ５６７８")
// goes in as its digits. Whatever goes in is cut to what fits, never inside a character.
class NumberField : public QLineEdit {
    Q_OBJECT

public:
    explicit NumberField(QWidget* parent = nullptr);

    QVariant inputMethodQuery(Qt::InputMethodQuery property) const override;

signals:
    // Pasted or dropped text that holds more than one number: a list, which the field leaves out.
    void listGiven(const QString& text);
    // Files dropped on the field.
    void filesGiven(const QStringList& paths);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void pasteFrom(QClipboard::Mode mode);
    // Inserts as much of `text` as fits, in whole characters.
    void insertFitting(const QString& text);
};

} // namespace zunova::windows
