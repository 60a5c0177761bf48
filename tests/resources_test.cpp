#include "console/options.h"
#include "zunova/version.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMap>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

QString readText(const char* path) {
    QFile file(QString::fromUtf8(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// The Windows version resource: version 1.4, shown as "1.04", Japanese, Unicode.
TEST(Resources, WindowsVersionResource) {
    QFile rc(QStringLiteral(ZUNOVA_RC_PATH));
    ASSERT_TRUE(rc.open(QIODevice::ReadOnly));
    const QByteArray text = rc.readAll();
    for (const char* expected :
         {"FILEVERSION 1,4,0,0", "PRODUCTVERSION 1,4,0,0", "\"FileVersion\", \"1.04\"",
          "\"ProductVersion\", \"1.04\"", "\"ProductName\", \"Zunova\"", "BLOCK \"041104b0\"",
          "\"Translation\", 0x411, 1200"})
        EXPECT_TRUE(text.contains(expected)) << expected;
}

// What the desktop shows for the program is the picture its windows show: each PNG size, rendered
// from the scalable drawing, is the window icon scaled to that size, but for the blur along the
// band's edges (a mirrored or plain green icon differs by 15 %).
TEST(Resources, DesktopIconsAreTheWindowsPicture) {
    const QImage window(QStringLiteral(ZUNOVA_ICON_PATH));
    ASSERT_EQ(window.size(), QSize(48, 48));
    const std::initializer_list<int> sizes = {ZUNOVA_ICON_SIZES};
    EXPECT_EQ(QList<int>(sizes), QList<int>({16, 24, 32, 48, 64, 128, 256}));
    for (const int size : sizes) {
        SCOPED_TRACE(size);
        const QString path =
            QStringLiteral(ZUNOVA_DESKTOP_ICON_DIR "/%1x%1/apps/" ZUNOVA_APP_ID ".png").arg(size);
        QImageReader reader(path);
        EXPECT_EQ(reader.format(), "png");
        const QImage icon = reader.read();
        ASSERT_FALSE(icon.isNull()) << path.toStdString();
        ASSERT_EQ(icon.size(), QSize(size, size));
        EXPECT_FALSE(icon.hasAlphaChannel()) << "every pixel is the picture's";
        const QImage expected =
            window.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        double difference = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QColor a = icon.pixelColor(x, y);
                const QColor b = expected.pixelColor(x, y);
                difference += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                              std::abs(a.blue() - b.blue());
            }
        }
        EXPECT_LT(difference / (3.0 * 255 * size * size), 0.03);
    }
}

// What ties the entry to the rest of the install: the program, the icon's name and the folder
// the installed k.dat lies in (the data are read from the working directory); and a Japanese
// name. desktop-file-validate checks the rest when it is installed.
TEST(Resources, DesktopEntryStartsInTheInstalledData) {
    const QString text = readText(ZUNOVA_DESKTOP_ENTRY);
    ASSERT_TRUE(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
    QMap<QString, QString> keys;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0)
            keys.insert(line.left(equals), line.mid(equals + 1));
    }
    EXPECT_EQ(keys.value(QStringLiteral("Exec")), QStringLiteral("zunova"));
    EXPECT_EQ(keys.value(QStringLiteral("Icon")), QStringLiteral(ZUNOVA_APP_ID));
    EXPECT_EQ(keys.value(QStringLiteral("Path")), QStringLiteral("/usr/share/zunova"));
    for (const char* key : {"Name[ja]", "Comment[ja]", "Keywords[ja]"})
        EXPECT_FALSE(keys.value(QString::fromLatin1(key)).isEmpty()) << key;
}

// The AppStream metadata name the desktop entry and carry this version and the address; their
// screenshots are the manual's pictures, at the project's address as in the source, each with
// an English and a Japanese caption.
TEST(Resources, MetainfoMatchesTheDesktopEntryAndVersion) {
    QXmlStreamReader xml(readText(ZUNOVA_METAINFO));
    QMap<QString, QString> found;
    QStringList images;
    QStringList captions;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QString name = xml.name().toString();
        if (name == u"image")
            images << xml.readElementText();
        else if (name == u"caption")
            captions << xml.attributes().value(QStringLiteral("xml:lang")).toString();
        else if (name == u"component")
            found.insert(name, xml.attributes().value(QStringLiteral("type")).toString());
        else if (name == u"release")
            found.insert(name, xml.attributes().value(QStringLiteral("version")).toString());
        else if (name == u"url" || name == u"id" || name == u"launchable" ||
                 name == u"project_license" || name == u"icon")
            found.insert(name, xml.readElementText());
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    const QMap<QString, QString> expected = {
        {QStringLiteral("component"), QStringLiteral("desktop-application")},
        {QStringLiteral("id"), QStringLiteral(ZUNOVA_APP_ID)},
        {QStringLiteral("launchable"), QStringLiteral(ZUNOVA_APP_ID ".desktop")},
        {QStringLiteral("icon"), QStringLiteral(ZUNOVA_APP_ID)},
        {QStringLiteral("project_license"), QStringLiteral("Apache-2.0")},
        {QStringLiteral("url"), QStringLiteral(ZUNOVA_HOMEPAGE)},
        {QStringLiteral("release"), QString::fromLatin1(zunova::kVersionString)},
    };
    for (auto [key, value] : expected.asKeyValueRange())
        EXPECT_EQ(found.value(key).toStdString(), value.toStdString()) << key.toStdString();

    EXPECT_FALSE(images.isEmpty());
    for (const QString& image : images) {
        ASSERT_TRUE(image.startsWith(QStringLiteral(ZUNOVA_HOMEPAGE))) << image.toStdString();
        const QString picture = image.mid(qsizetype(std::strlen(ZUNOVA_HOMEPAGE)));
        EXPECT_TRUE(QFile::exists(QStringLiteral(ZUNOVA_SOURCE_DIR "/") + picture))
            << picture.toStdString();
    }
    EXPECT_EQ(captions.count(QString()), images.size());
    EXPECT_EQ(captions.count(QStringLiteral("ja")), images.size());
}

// The man page has the sections a reader looks for, in the usual order, a NAME line that
// whatis can index, and this version.
TEST(Resources, ManPageHasItsSectionsAndVersion) {
    const std::vector<std::pair<const char*, QStringList>> pages{
        {ZUNOVA_MAN_PAGE,
         {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "DATA FORMAT", "FILES", "EXIT STATUS",
          "SEE ALSO"}},
        {ZUNOVA_MAN_PAGE_JA,
         QStringLiteral(u"名前 書式 説明 オプション データ形式 ファイル 終了ステータス 関連項目")
             .split(u' ')},
    };
    for (const auto& [path, sections] : pages) {
        SCOPED_TRACE(path);
        const QString text = readText(path);
        ASSERT_FALSE(text.isEmpty());
        EXPECT_TRUE(text.contains(QStringLiteral(".TH ZUNOVA 1 ")));
        EXPECT_TRUE(text.contains(QStringLiteral("\"zunova %1\"").arg(zunova::kVersionString)));
        qsizetype previous = -1;
        for (const QString& section : sections) {
            const qsizetype at = text.indexOf(QStringLiteral(".SH %1\n").arg(section));
            EXPECT_GT(at, previous) << section.toStdString();
            previous = std::max(previous, at);
        }
        EXPECT_TRUE(text.contains(QStringLiteral(".SH %1\nzunova \\- ").arg(sections[0])));
        EXPECT_FALSE(text.contains(u'@')) << "a value left unconfigured";
    }
}

// The options' markup, as --help and the man page show it: fonts, underscores inside words,
// escapes, sentences and paragraphs, and roff's own characters.
TEST(Resources, OptionMarkupAsPlainTextAndRoff) {
    struct Case {
        const char* markup;
        const char* plain;
        const char* roff;
    };
    const Case cases[] = {
        {"*--csv* _FILE_", "--csv FILE", "\\fB\\-\\-csv\\fR \\fIFILE\\fR"},
        {"*k*|*p*", "k|p", "\\fBk\\fR|\\fBp\\fR"},
        {"_FILE_*:*_LINE_*: *_text_", "FILE:LINE: text", "\\fIFILE\\fB:\\fILINE\\fB: \\fItext\\fR"},
        {"*bold _both_*", "bold both", "\\fBbold \\f(BIboth\\fR"},
        {"*shift_jis*, Shift_JIS", "shift_jis, Shift_JIS", "\\fBshift_jis\\fR, Shift_JIS"},
        {"a \\* and \\_x\\_ and \\\\xNN", "a * and _x_ and \\xNN", "a * and _x_ and \\exNN"},
        {"One (p.dat). Two.\n\n.xls files. 'k' too", "One (p.dat). Two.\n\n.xls files. 'k' too",
         "One (p.dat).\nTwo.\n.IP\n\\&.xls files.\n\\&'k' too"},
        // Between kana an underscore is a character: italics want a space or punctuation.
        {"一覧 _ファイル_（*-*）の_x_を", "一覧 ファイル（-）の_x_を",
         "一覧 \\fIファイル\\fR（\\fB\\-\\fR）の_x_を"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.markup);
        const QString markup = QString::fromUtf8(c.markup);
        EXPECT_EQ(zunova::console::plainText(markup).toStdString(), c.plain);
        EXPECT_EQ(zunova::console::roffText(markup).toStdString(), c.roff);
        EXPECT_TRUE(zunova::console::isWellFormed(markup));
    }
    for (const char* open : {"*bold", "_FILE", "*x*\n\n_y", "*a* _b"})
        EXPECT_FALSE(zunova::console::isWellFormed(QString::fromUtf8(open))) << open;
}

// Every text of the catalogue has its Japanese, with each %N of the English; an option's markup
// does in Japanese what it does in English, the same * and _ left as characters.
TEST(Resources, CatalogueIsWholeAndKeepsPlaceholdersAndMarkup) {
    QFile ts(QStringLiteral(ZUNOVA_SOURCE_DIR "/resources/translations/zunova_ja.ts"));
    ASSERT_TRUE(ts.open(QIODevice::ReadOnly));
    const auto placeholders = [](const QString& text) {
        QStringList found;
        QRegularExpressionMatchIterator each = QRegularExpression("%\\d").globalMatch(text);
        while (each.hasNext())
            found << each.next().captured();
        found.sort();
        return found;
    };
    const auto literals = [](const QString& markup) {
        const QString plain = zunova::console::plainText(markup);
        return plain.count(u'*') + plain.count(u'_');
    };
    QXmlStreamReader xml(&ts);
    QString context;
    QString source;
    int translations = 0;
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"name")
            context = xml.readElementText();
        else if (xml.name() == u"source")
            source = xml.readElementText();
        else if (xml.name() == u"translation") {
            SCOPED_TRACE(source.toStdString());
            ++translations;
            EXPECT_EQ(xml.attributes().value(QStringLiteral("type")), QString()) << "unfinished";
            const QString japanese = xml.readElementText();
            EXPECT_FALSE(japanese.isEmpty());
            EXPECT_EQ(placeholders(japanese), placeholders(source));
            if (context == QLatin1StringView(zunova::console::kOptionsContext)) {
                EXPECT_TRUE(zunova::console::isWellFormed(japanese)) << japanese.toStdString();
                EXPECT_EQ(literals(japanese), literals(source)) << japanese.toStdString();
            }
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(translations, 100);
}

} // namespace
