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

// The two designed font families. Where one is not installed, an installed Japanese Gothic font
// of the same kind (fixed pitch or proportional) stands in.
inline const QString kGothic = QStringLiteral(u"ＭＳ ゴシック");
inline const QString kPGothic = QStringLiteral(u"ＭＳ Ｐゴシック");
// The family to ask for: `family` where it is installed, else its first installed stand-in, else
// `family` all the same. Call after the QApplication exists.
QString installedFamily(const QString& family);
// A font of the family (or its stand-in), size and normal weight a control was designed with.
QFont designFont(const QString& family, qreal pointSize);

// What every window shares, set once for the application: the program icon, and Qt's own texts
// (file dialogs, the number field's menu, the buttons of message boxes) in Japanese like the
// program's, whatever the locale. Call after the QApplication exists, before any window.
void setUpApplication();
// Makes Japanese the default locale and installs Qt's Japanese translation of its own texts from
// `folder`. Returns false where the translation is not there: Qt's texts then stay English,
// which needs no word.
bool useQtJapanese(const QString& folder);

// Gives a control its object name and geometry, and the font where the design names one.
void place(QWidget* control, const char* objectName, QRect geometry);
void place(QWidget* control, const char* objectName, QRect geometry, const QFont& font);

void setTextColor(QWidget* control, const QColor& color);

// Centres a top-level window on the screen it is on.
void centreOnScreen(QWidget* window);

} // namespace zunova::windows
