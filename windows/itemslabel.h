#pragma once

#include <QLabel>
#include <QList>
#include <QStringList>

namespace zunova::windows {

// A label of items, such as counts, whose lines break only between items and between the
// pieces of one ("ＮＴＴドコモ 2件、" "ａｕ 1件"), never inside a piece: Qt's own wrapping
// breaks between any two Japanese characters, even between "1" and its "件", and does not
// honour <nobr> there.
class ItemsLabel : public QLabel {
    Q_OBJECT

public:
    explicit ItemsLabel(QWidget* parent = nullptr);

    // Each item as its pieces, in order.
    void setItems(const QList<QStringList>& items);
    const QList<QStringList>& items() const { return m_items; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // The items laid out in lines no wider than `width` pixels, where the pieces allow.
    QStringList linesFor(int width) const;
    void wrap();

    QList<QStringList> m_items;
};

} // namespace zunova::windows
