#include "zunova/version.h"

#include <QFile>
#include <QImage>
#include <QSet>

#include <gtest/gtest.h>

namespace {

TEST(Resources, VersionComesFromTheProjectVersion) {
    EXPECT_EQ(zunova::kVersionMajor, 1);
    EXPECT_EQ(zunova::kVersionMinor, 4);
    EXPECT_STREQ(zunova::kVersionString, "1.4.0.0");

    QFile rc(QStringLiteral(ZUNOVA_RC_PATH));
    ASSERT_TRUE(rc.open(QIODevice::ReadOnly));
    const QByteArray text = rc.readAll();
    for (const char* expected :
         {"FILEVERSION 1,4,0,0", "PRODUCTVERSION 1,4,0,0", "\"FileVersion\", \"1.04\"",
          "\"ProductVersion\", \"1.04\"", "\"ProductName\", \"Zunova\"", "BLOCK \"041104b0\"",
          "\"Translation\", 0x411, 1200"})
        EXPECT_TRUE(text.contains(expected)) << expected;
}

TEST(Resources, IconIsTheGreenBandPicture) {
    QImage icon(QStringLiteral(ZUNOVA_ICON_PATH));
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.size(), QSize(48, 48));
    QSet<QRgb> colours;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            colours.insert(icon.pixel(x, y));
    EXPECT_LE(colours.size(), 16);
    EXPECT_EQ(icon.pixelColor(2, 2), QColor(0, 255, 0)) << "bright green above the band";
    EXPECT_EQ(icon.pixelColor(24, 45), QColor(0, 128, 0)) << "dark green below it";
    EXPECT_EQ(icon.pixelColor(0, 18), QColor(Qt::white)) << "band at the left edge";
    EXPECT_EQ(icon.pixelColor(11, 29), QColor(Qt::white)) << "its low point";
    EXPECT_EQ(icon.pixelColor(33, 15), QColor(Qt::white)) << "its peak";
    EXPECT_EQ(icon.pixelColor(47, 34), QColor(Qt::white)) << "band at the right edge";
}

} // namespace
