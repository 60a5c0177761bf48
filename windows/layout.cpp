#include "layout.h"

#include "resources/programicon.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace zunova::windows {

QFont designFont(const QString& family, qreal pointSize) {
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::Normal);
    return font;
}

void installFontSubstitutions() {
    // Monospaced Gothics first for the fixed-pitch family, proportional ones for the other.
    QFont::insertSubstitutions(
        kGothic, {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                  QStringLiteral("VL Gothic"), QStringLiteral("IPAPGothic")});
    QFont::insertSubstitutions(kPGothic,
                               {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                                QStringLiteral("VL PGothic"), QStringLiteral("IPAGothic")});
}

void setUpApplication() {
    QGuiApplication::setWindowIcon(programIcon());
    installFontSubstitutions();
}

void place(QWidget* control, const char* objectName, QRect geometry) {
    control->setObjectName(QString::fromLatin1(objectName));
    control->setGeometry(geometry);
}

void place(QWidget* control, const char* objectName, QRect geometry, const QFont& font) {
    place(control, objectName, geometry);
    control->setFont(font);
}

void setTextColor(QWidget* control, const QColor& color) {
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, color);
    control->setPalette(palette);
}

void centreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace zunova::windows
