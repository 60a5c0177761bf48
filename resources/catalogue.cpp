#include "catalogue.h"

#include <QCoreApplication>
#include <QTranslator>

namespace zunova::catalogue {
namespace {

QTranslator& japanese() {
    static QTranslator translator;
    // Compiled in as a resource: a missing catalogue is a build fault, which the tests catch.
    [[maybe_unused]] static const bool loaded =
        translator.load(QStringLiteral(":/zunova/translations/zunova_ja.qm"));
    return translator;
}

// "ja_JP.UTF-8", "ja@x", "ja" -> "ja".
QStringView languageOf(QStringView locale) {
    qsizetype end = 0;
    while (end < locale.size() && locale[end] != u'_' && locale[end] != u'.' && locale[end] != u'@')
        ++end;
    return locale.first(end);
}

} // namespace

void installJapanese() {
    QCoreApplication::installTranslator(&japanese());
}

QString inJapanese(const char* context, const char* source) {
    const QString translated = japanese().translate(context, source);
    return translated.isEmpty() ? QString::fromUtf8(source) : translated;
}

bool userReadsJapanese() {
    QString locale;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = qEnvironmentVariable(variable);
        if (!locale.isEmpty())
            break;
    }
    const QStringView language = languageOf(locale);
    // The C locale means untranslated messages, whatever LANGUAGE says.
    if (language.isEmpty() || language == u"C" || language == u"POSIX")
        return false;
    // LANGUAGE is a list of preferences: the first language there is a catalogue for decides
    // (English is the program's own); a list that names neither leaves the texts untranslated.
    const QString preferences = qEnvironmentVariable("LANGUAGE");
    if (preferences.isEmpty())
        return language == u"ja";
    for (const QStringView preference : QStringView(preferences).split(u':')) {
        if (languageOf(preference) == u"ja")
            return true;
        if (languageOf(preference) == u"en")
            return false;
    }
    return false;
}

QString forUser(const char* context, const char* source) {
    return userReadsJapanese() ? inJapanese(context, source) : QString::fromUtf8(source);
}

} // namespace zunova::catalogue
