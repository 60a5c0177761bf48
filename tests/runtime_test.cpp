#include "runtime/conversion.h"
#include "runtime/datafile.h"
#include "runtime/runtimeerror.h"
#include "runtime/sequentialreader.h"
#include "support/tempworkdir.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <vector>

using namespace zunova::runtime;
using zunova::testing::TempWorkDir;

namespace {

// The error number a callable raises, or nothing when it returns normally.
template <typename F> std::optional<int> errorOf(F&& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return static_cast<int>(e.number());
    }
    return std::nullopt;
}

struct ConversionCase {
    QString text;
    std::optional<qint16> value; // nothing: an error is expected
    int error = 0;
};

TEST(Conversion, TextTo16BitInteger) {
    const std::vector<ConversionCase> cases{
        {"123", 123},
        {"012", 12},
        {"  42  ", 42},
        {"-32768", -32768},
        {"32767", 32767},
        {"+7", 7},
        {"-0", 0},
        {"1e2", 100},
        {"1E+2", 100},
        {"15e-1", 2},
        {"2.5", 2}, // half to even
        {"3.5", 4},
        {"-2.5", -2},
        {"2.51", 3},
        {"0.5", 0},
        {".5", 0},
        {"1.", 1},
        {"0.05", 0},
        {"32767.4", 32767},
        {"-32768.5", -32768},
        {"&H10", 16},
        {"&hff", 255},
        {"&HFFFF", -1},
        {"&H7FFF", 32767},
        {"&HFFFFFFFF", -1},
        {"&O17", 15},
        {QStringLiteral(u"１２３"), 123},
        {QStringLiteral(u"４"), 4},
        {"00000000000000000000000000000000000000001", 1},
        {"0e999999999999", 0},
        {"32768", std::nullopt, 6},
        {"-32769", std::nullopt, 6},
        {"32767.5", std::nullopt, 6},
        {"1e5", std::nullopt, 6},
        {"123456789012345678901234567890", std::nullopt, 6},
        {"&H10000", std::nullopt, 6},
        {"&H1FFFFFFFF", std::nullopt, 6},
        {"", std::nullopt, 13},
        {"   ", std::nullopt, 13},
        {"A", std::nullopt, 13},
        {"1A3", std::nullopt, 13},
        {"+", std::nullopt, 13},
        {".", std::nullopt, 13},
        {"e", std::nullopt, 13},
        {"1e", std::nullopt, 13},
        {"1.2.3", std::nullopt, 13},
        {"1 2", std::nullopt, 13},
        {"--1", std::nullopt, 13},
        {"&H", std::nullopt, 13},
        {"&HG", std::nullopt, 13},
        {"&O8", std::nullopt, 13},
        {"&X1", std::nullopt, 13},
        {QStringLiteral(u"１A"), std::nullopt, 13},
        {QStringLiteral(u"\u3000"), std::nullopt, 13},
    };
    for (const ConversionCase& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        if (c.value) {
            qint16 got = 0;
            EXPECT_EQ(errorOf([&] { got = to16BitInteger(c.text); }), std::nullopt);
            EXPECT_EQ(got, *c.value);
        } else {
            EXPECT_EQ(errorOf([&] { to16BitInteger(c.text); }), c.error);
        }
    }
}

TEST(Conversion, SingleCharacterConvertsOnlyWhenADigit) {
    for (char32_t u = 1; u <= 0xFFFF; ++u) {
        const QChar c(static_cast<char16_t>(u));
        const bool digit = (u >= u'0' && u <= u'9') || (u >= 0xFF10 && u <= 0xFF19);
        const auto error = errorOf([&] { to16BitInteger(QStringView(&c, 1)); });
        EXPECT_EQ(error.has_value(), !digit) << "U+" << std::hex << int(u);
    }
}

TEST(RuntimeError, ReportNamesNumberTextFileAndLine) {
    EXPECT_EQ(RuntimeError(ErrorNumber::TypeMismatch).report(),
              QStringLiteral(u"実行時エラー '13':\n\n型が一致しません。"));
    EXPECT_EQ(RuntimeError(ErrorNumber::FileNotFound, "p.dat").report(),
              QStringLiteral(u"実行時エラー '53':\n\nファイルが見つかりません。\np.dat"));
    EXPECT_EQ(RuntimeError(ErrorNumber::InputPastEndOfFile, "k.dat", 12).report(),
              QStringLiteral(
                  u"実行時エラー '62':\n\nファイルにこれ以上データがありません。\nk.dat: 12 行目"));
    EXPECT_EQ(RuntimeError::errorText(ErrorNumber::Overflow),
              QStringLiteral(u"オーバーフローしました。"));
    EXPECT_EQ(RuntimeError::errorText(ErrorNumber::PermissionDenied),
              QStringLiteral(u"ファイルを読み取る権限がありません。"));
    EXPECT_EQ(RuntimeError::errorText(ErrorNumber::PathNotFound),
              QStringLiteral(u"パス名が無効です。"));
}

// Reads whole records of `width` fields until the end of the data, as the lookup does.
std::vector<std::vector<qint16>> readRecords(const QByteArray& content, int width) {
    QBuffer buffer;
    buffer.setData(content);
    buffer.open(QIODevice::ReadOnly);
    SequentialReader reader(buffer, "t.dat");
    std::vector<std::vector<qint16>> records;
    while (!reader.atEndOfData()) {
        std::vector<qint16> record(width);
        reader.readInt16s(record);
        records.push_back(record);
    }
    return records;
}

struct ReaderCase {
    const char* name;
    QByteArray content;
    std::vector<std::vector<qint16>> records;
    int error = 0;
    int line = 0;
};

TEST(SequentialReader, FieldAndRecordRules) {
    using R = std::vector<std::vector<qint16>>;
    const std::vector<ReaderCase> cases{
        {"empty file", "", R{}},
        {"crlf", "1,2,3\r\n4,5,6\r\n", R{{1, 2, 3}, {4, 5, 6}}},
        {"no final line end", "1,2,3\r\n4,5,6", R{{1, 2, 3}, {4, 5, 6}}},
        {"lf", "1,2,3\n4,5,6\n", R{{1, 2, 3}, {4, 5, 6}}},
        {"lone cr", "1,2,3\r4,5,6\r", R{{1, 2, 3}, {4, 5, 6}}},
        {"record across lines", "1,2\r\n3\r\n4,5,6\r\n", R{{1, 2, 3}, {4, 5, 6}}},
        {"one field a line", "1\n2\n3\n", R{{1, 2, 3}}},
        {"spaces and tabs", " 1 ,\t2\t, 3 \r\n", R{{1, 2, 3}}},
        {"quoted", "\"1\",\" 2 \",3\r\n", R{{1, 2, 3}}},
        {"empty fields read as 0", "1,,3\r\n,5,\r\n", R{{1, 0, 3}, {0, 5, 0}}},
        {"blank lines between records", "\r\n\r\n1,2,3\r\n\r\n  \r\n4,5,6\r\n",
         R{{1, 2, 3}, {4, 5, 6}}},
        {"trailing blank space", "1,2,3\r\n\r\n  \t\r\n\n", R{{1, 2, 3}}},
        {"signs and exponents", "-5,+6,1e2\r\n", R{{-5, 6, 100}}},
        {"truncated record", "1,2,3\r\n4,5\r\n", R{}, 62, 2},
        {"truncated at the end", "1,2", R{}, 62, 1},
        {"overflow", "1,2,3\r\n4,40000,6\r\n", R{}, 6, 2},
        {"negative overflow", "-32769,0,0", R{}, 6, 1},
        {"not a number", "1,2,3\r\n4,x,6\r\n", R{}, 13, 2},
        {"space inside a field", "1,2 3,4", R{}, 13, 1},
        {"junk after a quote", "\"1\"x,2,3", R{}, 13, 1},
        {"nul byte", QByteArray("1,\0,3", 5), R{}, 13, 1},
        {"line counted from lone cr", "1,2,3\r4,5,6\r7,z,9", R{}, 13, 3},
        {"ten thousand digits", "1," + QByteArray(10000, '9') + ",3", R{}, 6, 1},
        {"endless field", "1," + QByteArray(200 * 1024, '7') + ",3", R{}, 6, 1},
    };
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::vector<qint16>> got;
        try {
            got = readRecords(c.content, 3);
            EXPECT_EQ(c.error, 0) << "expected error " << c.error;
            EXPECT_EQ(got, c.records);
        } catch (const RuntimeError& e) {
            EXPECT_EQ(static_cast<int>(e.number()), c.error);
            EXPECT_EQ(e.line(), c.line);
            EXPECT_EQ(e.file(), QStringLiteral("t.dat"));
        }
    }
}

TEST(SequentialReader, LongLineOfEmptyFields) {
    // 90,909 records of 11 empty fields on one line: 999,998 commas, every field 0.
    const auto records = readRecords(QByteArray(90'909 * 11 - 1, ',') + "\r\n", 11);
    ASSERT_EQ(records.size(), 90'909u);
    EXPECT_EQ(records.back(), std::vector<qint16>(11, 0));
    // A million commas make 1,000,001 fields: the last record is cut short.
    const auto error = errorOf([] { readRecords(QByteArray(1'000'000, ',') + "\r\n", 11); });
    EXPECT_EQ(error, 62);
}

TEST(SequentialReader, FieldsAcrossBufferBoundaries) {
    // Enough records to cross the read buffer many times, in the customary form and in forms
    // that take the general path (leading zeros, spaces, quotes).
    QByteArray content;
    std::vector<std::vector<qint16>> expected;
    for (int i = 0; i < 40'000; ++i) {
        const auto a = static_cast<qint16>((i * 7919) % 65536 - 32768);
        const auto b = static_cast<qint16>(i % 1000);
        const QByteArray bText = i % 5 == 0   ? "000" + QByteArray::number(b)
                                 : i % 5 == 1 ? " " + QByteArray::number(b) + " "
                                 : i % 5 == 2 ? '"' + QByteArray::number(b) + '"'
                                              : QByteArray::number(b);
        content += QByteArray::number(a) + ',' + bText + (i % 2 ? "\r\n" : "\n");
        expected.push_back({a, b});
    }
    EXPECT_EQ(readRecords(content, 2), expected);
}

TEST(DataFile, OpenFailuresMapToTheirErrors) {
    TempWorkDir dir;
    EXPECT_EQ(errorOf([] { DataFile f("k.dat"); }), 53);
    ASSERT_TRUE(QDir(dir.path()).mkdir("k.dat"));
    EXPECT_EQ(errorOf([] { DataFile f("k.dat"); }), 75);
    // Nobody writes to the FIFO: opening it must not wait for a writer.
    ASSERT_EQ(::mkfifo("fifo.dat", 0600), 0);
    EXPECT_EQ(errorOf([] { DataFile f("fifo.dat"); }), 75);
    // A device never ends: reading one would never answer.
    ASSERT_TRUE(QFile::link("/dev/zero", "zero.dat"));
    EXPECT_EQ(errorOf([] { DataFile f("zero.dat"); }), 75);
    dir.write("p.dat", "1,2,3\r\n");
    EXPECT_EQ(errorOf([] { DataFile f("p.dat"); }), std::nullopt);
    EXPECT_EQ(errorOf([] { DataFile f("P.DAT"); }), 53) << "names are taken exactly";
}

TEST(DataFile, UnreadableFileIsPermissionDenied) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file, so no permission error can be provoked";
    TempWorkDir dir;
    dir.write("k.dat", "1\r\n");
    ASSERT_TRUE(QFile::setPermissions(QDir(dir.path()).filePath("k.dat"), QFileDevice::WriteOwner));
    EXPECT_EQ(errorOf([] { DataFile f("k.dat"); }), 70);
}

} // namespace
