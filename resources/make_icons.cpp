// Writes the hicolor PNG icons from the 48×48 program icon at build time.
// Usage: make_icons SOURCE OUTPUT-DIR NAME SIZE...
// Each SIZE gives OUTPUT-DIR/SIZExSIZE/apps/NAME.png. Scaled without smoothing, so every size
// keeps the icon's own 16 colours and hard edges. Needs Qt Gui's image code only, no display.
#include <QDir>
#include <QImage>
#include <QStringList>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc < 5) {
        std::fputs("usage: make_icons SOURCE OUTPUT-DIR NAME SIZE...\n", stderr);
        return 2;
    }
    const QImage source(QString::fromLocal8Bit(argv[1]));
    if (source.isNull()) {
        std::fprintf(stderr, "make_icons: cannot read %s\n", argv[1]);
        return 1;
    }
    const QDir output(QString::fromLocal8Bit(argv[2]));
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLatin1(argv[i]).toInt(&ok);
        if (!ok || size <= 0) {
            std::fprintf(stderr, "make_icons: not a size: %s\n", argv[i]);
            return 2;
        }
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString path = output.filePath(folder + u'/' + name + QStringLiteral(".png"));
        QImage icon = source.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        // Back to the source's palette (nearest scaling adds no colour), for small files.
        if (source.format() == QImage::Format_Indexed8)
            icon = icon.convertToFormat(QImage::Format_Indexed8, source.colorTable(),
                                        Qt::ThresholdDither | Qt::AvoidDither);
        if (!output.mkpath(folder) || !icon.save(path, "PNG")) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
