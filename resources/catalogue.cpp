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

} // namespace

void installJapanese() {
    QCoreApplication::installTranslator(&japanese());
}

QString inJapanese(const char* context, const char* source) {
    const QString translated = japanese().translate(context, source);
    return translated.isEmpty() ? QString::fromUtf8(source) : translated;
}

} // namespace zunova::catalogue
