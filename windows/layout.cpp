#include "layout.h"

#include "resources/catalogue.h"
#include "resources/programicon.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>
#include <QWidget>

#include <algorithm>
#include <memory>

namespace zunova::windows {

QString installedFamily(const QString& family) {
    // Monospaced Gothics first for the fixed-pitch family, proportional ones for the other.
    static const QStringList gothics{QStringLiteral("IPAGothic"),
                                     QStringLiteral("Noto Sans Mono CJK JP"),
                                     QStringLiteral("VL Gothic"), QStringLiteral("IPAPGothic")};
    static const QStringList pGothics{QStringLiteral("IPAPGothic"),
                                      QStringLiteral("Noto Sans CJK JP"),
                                      QStringLiteral("VL PGothic"), QStringLiteral("IPAGothic")};
    // Asking Qt for a family that is not installed makes fontconfig weigh every font on the
    // system, a sixth of the window's start; the list of installed ones is read at start anyway.
    static const QStringList installed = QFontDatabase::families();
    if (installed.contains(family))
        return family;
    const QStringList& standIns = family == kPGothic ? pGothics : gothics;
    const auto standIn = std::ranges::find_if(
        standIns, [&](const QString& name) { return installed.contains(name); });
    return standIn == standIns.end() ? family : *standIn;
}

QFont designFont(const QString& family, qreal pointSize) {
    QFont font(installedFamily(family));
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::Normal);
    // Hinted by the font's own instructions, its glyphs fitted to whole pixels as desktop Gothic
    // fonts were drawn when these windows were laid out. Qt's default, light hinting, has
    // FreeType's autohinter read every character of a font before its first glyph, which the
    // main window's start pays for (tools/bench.sh; doc/performance.md).
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

bool useQtJapanese(const QString& folder) {
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    // For what Qt writes by the locale rather than from a catalogue, such as the file types a
    // file dialog lists.
    QLocale::setDefault(japanese);
    // Qt Base's catalogue alone: every text these windows take from Qt is there, and the
    // catalogue of all Qt modules would read the others' files too.
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"), folder))
        return false;
    translator->setParent(QCoreApplication::instance());
    QCoreApplication::installTranslator(translator.release());
    return true;
}

void setUpApplication() {
    QGuiApplication::setWindowIcon(programIcon());
    // The windows speak Japanese whatever the locale: the program's own texts, and Qt's.
    catalogue::installJapanese();
    useQtJapanese(QLibraryInfo::path(QLibraryInfo::TranslationsPath));
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
