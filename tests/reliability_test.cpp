// Hostile and broken inputs, end to end through the query: each must give a clear result or a
// documented error, leave no file open, and leave the lookup usable.
#include "lookup/carrierlookup.h"
#include "runtime/runtimeerror.h"
#include "support/recordingwindow.h"
#include "support/tempworkdir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <unistd.h>

#include <random>

using zunova::lookup::CarrierLookup;
using zunova::runtime::RuntimeError;
using zunova::testing::RecordingWindow;
using zunova::testing::TempWorkDir;

namespace {

struct Outcome {
    int error = 0; // 0: no run-time error
    int line = 0;
    QString label4;
};

// Runs one query for `number` and checks nothing was left open.
Outcome query(const QString& number) {
    const zunova::testing::DescriptorCount fds;
    RecordingWindow window(number, QString());
    Outcome out;
    try {
        CarrierLookup(window).Chousa();
    } catch (const RuntimeError& e) {
        out.error = static_cast<int>(e.number());
        out.line = e.line();
    }
    out.label4 = window.label4;
    EXPECT_EQ(fds.opened(), 0);
    return out;
}

QByteArray randomBytes(qsizetype size) {
    std::mt19937 rng(12345);
    QByteArray bytes(size, '\0');
    for (char& b : bytes)
        b = static_cast<char>(rng() & 0xFF);
    return bytes;
}

struct BadFileCase {
    const char* name;
    QByteArray content;
    int error;
    int line;
};

TEST(Reliability, BrokenDataFiles) {
    const std::vector<BadFileCase> cases{
        {"random bytes", randomBytes(64 * 1024), 13, 1},
        {"NUL bytes", QByteArray("123,1,1,\0\0,2,3,3,4,4,9,9\r\n", 26), 13, 1},
        {"a line of a million commas", QByteArray(1'000'000, ',') + "\r\n", 62, 2},
        {"a field of 10,000 digits", "1," + QByteArray(10'000, '7') + ",3\r\n", 6, 1},
        {"a record cut short", "777,1,1,2,2,3,3,4,4,9,9\r\n123,1,1\r\n", 62, 3},
    };
    for (const BadFileCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempWorkDir dir;
        dir.write("k.dat", c.content);
        const Outcome out = query("09012345678");
        EXPECT_EQ(out.error, c.error);
        EXPECT_EQ(out.line, c.line);
        // Mended, the same number is found again.
        dir.write("k.dat", "123,1,1,2,2,3,3,4,4,9,9\r\n");
        EXPECT_EQ(query("09012345678").label4, "J-Phone");
    }
}

TEST(Reliability, AHundredMegabyteFileStreams) {
    TempWorkDir dir;
    {
        QFile file(QDir(dir.path()).filePath("k.dat"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        QByteArray chunk;
        for (int i = 0; i < 1000; ++i)
            chunk += "999,1,1,2,2,3,3,4,4,9,9\r\n";
        for (qint64 written = 0; written < 100LL * 1024 * 1024; written += chunk.size())
            ASSERT_EQ(file.write(chunk), chunk.size());
        ASSERT_TRUE(file.write("123,1,1,2,2,3,3,4,4,9,9\r\n") > 0);
    }
    EXPECT_EQ(query("09012345678").label4, "J-Phone"); // the last record
    EXPECT_EQ(query("09077705678").label4, QStringLiteral(u"不明"));
}

TEST(Reliability, DataFileThatCannotBeOpened) {
    TempWorkDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("k.dat"));
    EXPECT_EQ(query("09012345678").error, 75);
    dir.write("p.dat", "123,1,1,2,2,3,3,4,4,9,9\r\n");
    if (geteuid() != 0) { // root reads every file; CTest also runs this as an unprivileged user
        ASSERT_TRUE(QFile::setPermissions(QDir(dir.path()).filePath("p.dat"), {}));
        EXPECT_EQ(query("07012345678").error, 70);
    }
}

TEST(Reliability, EveryNonDigitInPositionsFourToSeven) {
    TempWorkDir dir;
    dir.write("k.dat", "123,1,1,2,2,3,3,4,4,9,9\r\n");
    int refused = 0;
    for (char32_t u = 1; u <= 0xFFFF; ++u) {
        const QChar c(static_cast<char16_t>(u));
        if ((u >= u'0' && u <= u'9') || (u >= 0xFF10 && u <= 0xFF19))
            continue;
        for (int position = 3; position < 7; ++position) {
            QString number = QStringLiteral("09012345678");
            number[position] = c;
            RecordingWindow window(number);
            try {
                CarrierLookup(window).Chousa();
            } catch (const RuntimeError& e) {
                ASSERT_EQ(e.number(), zunova::runtime::ErrorNumber::TypeMismatch);
                ASSERT_TRUE(window.log.isEmpty());
                ++refused;
            }
        }
    }
    EXPECT_EQ(refused, 4 * (0xFFFF - 20)); // every one of them, in every position
    // The seventh digit alone never converts unless it is a digit.
    EXPECT_EQ(query("090123+5678").error, 13);
}

TEST(Reliability, CharactersOutsideTheBasicPlane) {
    TempWorkDir dir;
    dir.write("k.dat", "123,1,1,2,2,3,3,4,4,9,9\r\n");
    const QString face = QStringLiteral(u"😀"); // two UTF-16 code units
    RecordingWindow tooLong(QStringLiteral("0901234567") + face);
    CarrierLookup(tooLong).Chousa();
    EXPECT_EQ(tooLong.log, QStringList{QStringLiteral(u"warn:１１桁で入力してください。")});
    EXPECT_EQ(query(QStringLiteral("090123456") + face).label4, "J-Phone");
    EXPECT_EQ(query(QStringLiteral("090") + face + QStringLiteral("345678")).error, 13);
}

} // namespace
