#include "itemslabel.h"

#include <QResizeEvent>

#include <algorithm>

namespace zunova::windows {

namespace {
const QString kBetweenItems = QStringLiteral(u"　");
} // namespace

ItemsLabel::ItemsLabel(QWidget* parent)
    : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void ItemsLabel::setItems(const QList<QStringList>& items) {
    m_items = items;
    wrap();
    updateGeometry();
}

QStringList ItemsLabel::linesFor(int width) const {
    const QFontMetrics metrics = fontMetrics();
    QStringList lines;
    QString line;
    for (const QStringList& item : m_items) {
        for (qsizetype i = 0; i < item.size(); ++i) {
            const QString piece = (i == 0 && !line.isEmpty() ? kBetweenItems : QString()) + item[i];
            if (!line.isEmpty() && metrics.horizontalAdvance(line + piece) > width) {
                lines << line;
                line = item[i];
            } else {
                line += piece;
            }
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

void ItemsLabel::wrap() {
    const QString text = linesFor(contentsRect().width()).join(u'\n');
    if (text != this->text())
        setText(text);
}

int ItemsLabel::heightForWidth(int width) const {
    const QMargins margins = contentsMargins();
    const qsizetype lines =
        std::max<qsizetype>(linesFor(width - margins.left() - margins.right()).size(), 1);
    return int(lines) * fontMetrics().lineSpacing() + margins.top() + margins.bottom();
}

QSize ItemsLabel::minimumSizeHint() const {
    // The widest piece, which no line can be narrower than.
    const QFontMetrics metrics = fontMetrics();
    int widest = 0;
    for (const QStringList& item : m_items)
        for (const QString& piece : item)
            widest = std::max(widest, metrics.horizontalAdvance(piece));
    const QMargins margins = contentsMargins();
    return {widest + margins.left() + margins.right(),
            metrics.lineSpacing() + margins.top() + margins.bottom()};
}

QSize ItemsLabel::sizeHint() const {
    const QSize least = minimumSizeHint();
    return {least.width(), heightForWidth(least.width())};
}

void ItemsLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    if (event->size().width() != event->oldSize().width())
        wrap();
}

} // namespace zunova::windows
