#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QWidget;

namespace zunova::windows {

// Positions and sizes are designed in twips; at 96 dpi a device-independent pixel is 15 twips,
// so Qt's high-DPI scaling takes care of other screens.
constexpr int fromTwips(int twips) {
    return twips / 15;
}
constexpr QRect twipsRect(int left, int top, int width, int height) {
    return {fromTwips(left), fromTwips(top), fromTwips(width), fromTwips(height)};
}

// The two designed font families. Where they are not installed, the substitutions below
// stand in Japanese Gothic fonts of the same kind.
inline const QString kGothic = QStringLiteral(u"ＭＳ ゴシック");
inline const QString kPGothic = QStringLiteral(u"ＭＳ Ｐゴシック");
QFont designFont(const QString& family, qreal pointSize);
void installFontSubstitutions();

// What every window shares, set once for the application: the program icon and the font
// substitutions. Call after the QApplication exists.
void setUpApplication();

// Gives a control its object name and geometry, and the font where the design names one.
void place(QWidget* control, const char* objectName, QRect geometry);
void place(QWidget* control, const char* objectName, QRect geometry, const QFont& font);

void setTextColor(QWidget* control, const QColor& color);

// Centres a top-level window on the screen it is on.
void centreOnScreen(QWidget* window);

} // namespace zunova::windows
