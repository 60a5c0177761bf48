// Writes the hicolor PNG icons from the scalable program icon at build time.
// Usage: make_icons SOURCE.svg OUTPUT-DIR NAME SIZE...
// Each SIZE gives OUTPUT-DIR/SIZExSIZE/apps/NAME.png, rendered from the one drawing, so every
// size is the same picture. Needs Qt's image and SVG code only, no display.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc < 5) {
        std::fputs("usage: make_icons SOURCE.svg OUTPUT-DIR NAME SIZE...\n", stderr);
        return 2;
    }
    QSvgRenderer source(QString::fromLocal8Bit(argv[1]));
    if (!source.isValid()) {
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
        QImage icon(size, size, QImage::Format_ARGB32);
        icon.fill(Qt::transparent);
        QPainter painter(&icon);
        source.render(&painter);
        painter.end();
        // The drawing covers every pixel: no alpha channel, for smaller files.
        icon = icon.convertToFormat(QImage::Format_RGB32);
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString path = output.filePath(folder + u'/' + name + QStringLiteral(".png"));
        if (!output.mkpath(folder) || !icon.save(path, "PNG")) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
