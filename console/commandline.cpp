#include "commandline.h"

#include "zunova/version.h"

#include <QCommandLineParser>

#include <cstdio>

namespace zunova::console {
namespace {

constexpr int kUsageError = 2;

void write(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
}

} // namespace

int run(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Tells which carrier a Japanese mobile number belongs to.\n"
                       "With no arguments, opens the window."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("V"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    parser.addOption(help);
    parser.addOption(version);

    const QString usage = parser.helpText();
    if (!parser.parse(arguments)) {
        write(stderr, QStringLiteral("zunova: ") + parser.errorText() + u'\n' + usage);
        return kUsageError;
    }
    if (parser.isSet(help)) {
        write(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        write(stdout, QStringLiteral("zunova %1\n").arg(QString::fromLatin1(kVersionString)));
        return 0;
    }
    write(stderr, QStringLiteral("zunova: unexpected argument: ") +
                      parser.positionalArguments().value(0) + u'\n' + usage);
    return kUsageError;
}

} // namespace zunova::console
