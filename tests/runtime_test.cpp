// The runtime: conversion, the field and record readers, the data-file handle, error reports.
#include "runtime/conversion.h"
#include "runtime/datafile.h"
#include "runtime/fieldreader.h"
#include "runtime/recordreader.h"
#include "runtime/runtimeerror.h"
#include "support/outcome.h"
#include "support/tempworkdir.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <random>
#include <vector>

using namespace zunova::runtime;
using zunova::testing::bytesReadSoFar;
using zunova::testing::errorOutcome;
using zunova::testing::Outcome;
using zunova::testing::outcomeOf;
using zunova::testing::TempWorkDir;

namespace {

struct ConversionCase {
    QString text;
    Outcome expected;
};

Outcome value(qint16 v) {
    return {v, 0, {}, 0};
}

TEST(Conversion, TextTo16BitInteger) {
    const std::vector<ConversionCase> cases{
        {"123", value(123)},
        {"012", value(12)},
        {"  42  ", value(42)},
        {"-32768", value(-32768)},
        {"32767", value(32767)},
        {"+7", value(7)},
        {"-0", value(0)},
        {"1e2", value(100)},
        {"1D1", value(10)}, // D stands for E
        {"1E+2", value(100)},
        {"15e-1", value(2)},
        {"2.5", value(2)}, // half to even
        {"3.5", value(4)},
        {"-2.5", value(-2)},
        {"2.51", value(3)},
        {"0.5", value(0)},
        {".5", value(0)},
        {"1.", value(1)},
        {"0.05", value(0)},
        {"0.06", value(0)}, // zeros right after the point shift the value
        {"0.05e2", value(5)},
        {"32767.4", value(32767)},
        {"-32768.5", value(-32768)},
        {"&H10", value(16)},
        {"&hff", value(255)},
        {"&HFFFF", value(-1)},
        {"&H7FFF", value(32767)},
        {"&HFFFFFFFF", value(-1)},
        {"&O17", value(15)},
        {QStringLiteral(u"１２３"), value(123)},
        {QStringLiteral(u"４"), value(4)},
        {"00000000000000000000000000000000000000001", value(1)},
        {"0e999999999999", value(0)},
        {"32768", errorOutcome(6)},
        {"-32769", errorOutcome(6)},
        {"32767.5", errorOutcome(6)},
        {"1e5", errorOutcome(6)},
        {"123456789012345678901234567890", errorOutcome(6)},
        {"&H10000", errorOutcome(6)},
        {"&H1FFFFFFFF", errorOutcome(6)},
        {"", errorOutcome(13)},
        {"   ", errorOutcome(13)},
        {"A", errorOutcome(13)},
        {"1A3", errorOutcome(13)},
        {"+", errorOutcome(13)},
        {".", errorOutcome(13)},
        {"e", errorOutcome(13)},
        {"1e", errorOutcome(13)},
        {"1.2.3", errorOutcome(13)},
        {"1 2", errorOutcome(13)},
        {"--1", errorOutcome(13)},
        {"&H", errorOutcome(13)},
        {"&HG", errorOutcome(13)},
        {"&O8", errorOutcome(13)},
        {"&X1", errorOutcome(13)},
        {QStringLiteral(u"１A"), errorOutcome(13)},
        {QStringLiteral(u"\u3000"), errorOutcome(13)},
    };
    for (const ConversionCase& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(outcomeOf([&] { return to16BitInteger(c.text); }), c.expected);
    }
}

// The digit rule over the whole Basic Multilingual Plane: ASCII and full-width digits only, and a
// single character converts exactly when it is one.
TEST(Conversion, OnlyAsciiAndFullWidthDigitsAreDigits) {
    for (char32_t u = 1; u <= 0xFFFF; ++u) {
        const auto c = static_cast<char16_t>(u);
        const int expected = u >= u'0' && u <= u'9'       ? int(u - u'0')
                             : u >= 0xFF10 && u <= 0xFF19 ? int(u - 0xFF10)
                                                          : -1;
        ASSERT_EQ(digitValue(c), expected) << "U+" << std::hex << int(u);
        const Outcome converted = outcomeOf([&] { return to16BitInteger(QStringView(&c, 1)); });
        ASSERT_EQ(converted, expected < 0 ? errorOutcome(13) : value(qint16(expected)))
            << "U+" << std::hex << int(u);
    }
}

TEST(RuntimeError, ReportNamesNumberTextFileAndLine) {
    struct Case {
        RuntimeError error;
        QString report;
    };
    const std::vector<Case> cases{
        {RuntimeError(ErrorNumber::TypeMismatch),
         QStringLiteral(u"実行時エラー '13':\n\n型が一致しません。")},
        {RuntimeError(ErrorNumber::Overflow, "k.dat", 3),
         QStringLiteral(u"実行時エラー '6':\n\nオーバーフローしました。\nk.dat: 3 行目")},
        {RuntimeError(ErrorNumber::InputPastEndOfFile, "k.dat", 12),
         QStringLiteral(
             u"実行時エラー '62':\n\nファイルにこれ以上データがありません。\nk.dat: 12 行目")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.error.report(), c.report);
}

// Reads records of `width` fields until the end of the data, as every lookup does.
std::vector<std::vector<qint16>> readRecords(const QByteArray& content, int width) {
    QBuffer buffer;
    buffer.setData(content);
    buffer.open(QIODevice::ReadOnly);
    FieldReader reader(buffer, "t.dat");
    std::vector<std::vector<qint16>> records;
    for (std::vector<qint16> record(width); reader.readRecord(record) > 0;)
        records.push_back(record);
    return records;
}

QByteArray randomBytes(qsizetype size) {
    std::mt19937 rng(12345);
    QByteArray bytes(size, '\0');
    for (char& b : bytes)
        b = static_cast<char>(rng() & 0xFF);
    return bytes;
}

struct ReaderCase {
    const char* name;
    QByteArray content;
    std::vector<std::vector<qint16>> records; // read before the end of the data, or before error
    Outcome end = {};                         // how reading ends: no error, or an error and line
    QStringList odd = {}; // fields not written as plain decimal integers: "LINE:TEXT=VALUE"
};

// Records of three fields here, which every rule reaches as well as eleven would.
TEST(FieldReader, FieldAndRecordRules) {
    using R = std::vector<std::vector<qint16>>;
    auto error = [](int number, int line) {
        return errorOutcome(number, "t.dat", line);
    };
    QByteArray manyRecords; // crosses the read buffer, read by the plain-record path
    for (int i = 0; i < 10'000; ++i)
        manyRecords += "9,1,1\r\n";
    const R manyRead(10'000, {9, 1, 1});
    auto plus = [](R head, const R& tail) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
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
        {"signs and exponents", "-5,+6,1e2\r\n", R{{-5, 6, 100}}, {}, {"1:+6=6", "1:1e2=100"}},
        {"legacy forms",
         "&H7FFF,&O17,2.5\r\n\" &hFFFF \",-0,\r\n１２,0012,3.5\r\n",
         R{{32767, 15, 2}, {-1, 0, 0}, {12, 12, 4}},
         {},
         {"1:&H7FFF=32767", "1:&O17=15", "1:2.5=2", "2:&hFFFF=-1", "3:１２=12", "3:3.5=4"}},
        // A record cut short: error 62 names the line its last field stands on, never one past
        // the end of the file, whatever blank lines follow.
        {"cut short", "1,2,3\r\n4,5\r\n", R{{1, 2, 3}}, error(62, 2)},
        {"cut short, blank lines after", "1,2,3\r\n4,5\r\n\r\n \n", R{{1, 2, 3}}, error(62, 2)},
        {"cut short over two lines", "1,2\r\n3,4\n\n", R{{1, 2, 3}}, error(62, 2)},
        {"cut short after a comma", "1,\r\n", R{}, error(62, 1)},
        {"cut short at the end", "1,2", R{}, error(62, 1)},
        {"a line of a million commas", QByteArray(1'000'000, ',') + "\r\n", R(333'333, {0, 0, 0}),
         error(62, 1)},
        {"overflow", "1,2,3\r\n4,40000,6\r\n", R{{1, 2, 3}}, error(6, 2)},
        {"negative overflow", "-32769,0,0", R{}, error(6, 1)},
        {"ten thousand digits", "1," + QByteArray(10000, '9') + ",3", R{}, error(6, 1)},
        {"endless field", "1," + QByteArray(200 * 1024, '7') + ",3", R{}, error(6, 1)},
        {"a field at the cap", "1,7" + QByteArray(64 * 1024 - 1, ' ') + ",3", R{{1, 7, 3}}},
        {"a field past the cap", "1,7" + QByteArray(64 * 1024, ' ') + ",3", R{}, error(6, 1)},
        {"not a number", "1,2,3\r\n4,x,6\r\n", R{{1, 2, 3}}, error(13, 2)},
        {"space inside a field", "1,2 3,4", R{}, error(13, 1)},
        {"junk after a quote", "\"1\"x,2,3", R{}, error(13, 1)},
        {"nul byte", QByteArray("1,\0,3", 5), R{}, error(13, 1)},
        {"random bytes", randomBytes(64 * 1024), R{}, error(13, 1)},
        {"line counted from lone cr", "1,2,3\r4,5,6\r7,z,9", R{{1, 2, 3}, {4, 5, 6}}, error(13, 3)},
        // A DOS end-of-file mark (0x1A) ends the data wherever it stands; nothing after it is read.
        {"mark after the last line end", "1,2,3\r\n\x1A", R{{1, 2, 3}}},
        {"mark right after the last field", "1,2,3\x1A", R{{1, 2, 3}}},
        {"mark followed by junk", "1,2,3\r\n\x1A" + randomBytes(1000), R{{1, 2, 3}}},
        {"mark before a record",
         "1,2,3\r\n\x1A"
         "4,5,6\r\n",
         R{{1, 2, 3}}},
        {"mark at the start",
         "\x1A"
         "1,2,3\r\n",
         R{}},
        {"mark after blank lines", "1,2,3\r\n\r\n  \r\n\x1A\r\n", R{{1, 2, 3}}},
        {"mark after 70 KB of records", manyRecords + "\x1A" + "1,2,3\r\n", manyRead},
        {"records after 70 KB, then the mark", manyRecords + "1,2,3\r\n\x1Ajunk",
         plus(manyRead, {{1, 2, 3}})},
        // A record the mark interrupts is cut short, at the line of its last field.
        {"mark inside a field", "1,2\x1A,3\r\n4,5,6\r\n", R{}, error(62, 1)},
        {"mark between two fields",
         "1,2\x1A"
         "3,4,5,6\r\n",
         R{}, error(62, 1)},
        {"mark inside the key",
         "1\x1A"
         "2,3,4\r\n",
         R{}, error(62, 1)},
        {"mark on a record's second line", "1\r\n2\x1A,3\r\n", R{}, error(62, 2)},
    };
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        QBuffer buffer;
        buffer.setData(c.content);
        buffer.open(QIODevice::ReadOnly);
        FieldReader reader(buffer, "t.dat");
        QStringList odd;
        reader.setOddFieldHandler([&](const OddField& f) {
            odd << QStringLiteral("%1:%2=%3").arg(f.line).arg(f.text).arg(f.value);
        });
        std::vector<std::vector<qint16>> got;
        const Outcome end = outcomeOf([&] {
            for (std::vector<qint16> record(3); reader.readRecord(record) > 0;)
                got.push_back(record);
        });
        EXPECT_EQ(end, c.end);
        EXPECT_EQ(got.size(), c.records.size());
        EXPECT_TRUE(got == c.records);
        EXPECT_EQ(odd, c.odd);
    }
}

TEST(FieldReader, ElevenFieldRecordsOfEmptyFields) {
    // 90,909 records of 11 empty fields on one line: 999,998 commas, every field 0.
    const auto records = readRecords(QByteArray(90'909 * 11 - 1, ',') + "\r\n", 11);
    ASSERT_EQ(records.size(), 90'909u);
    EXPECT_EQ(records.back(), std::vector<qint16>(11, 0));
}

TEST(FieldReader, FieldsAcrossBufferBoundaries) {
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

TEST(RecordReader, RecordsWithTheirLines) {
    QBuffer buffer;
    buffer.setData("\r\n123,1,1,2,2,3,3,4,4,9,9\r\n\r\n 7,0,0,0,0,0\n0,0,0,0,-1");
    buffer.open(QIODevice::ReadOnly);
    RecordReader records(buffer, "t.dat");
    EXPECT_EQ(records.next(), (Record{2, {123, 1, 1, 2, 2, 3, 3, 4, 4, 9, 9}}));
    EXPECT_EQ(records.next(), (Record{4, {7, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1}}));
    EXPECT_EQ(records.next(), std::nullopt);
}

long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void writeFile(const QString& name, const QByteArray& start, qint64 size) {
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(start), start.size());
    ASSERT_TRUE(file.resize(size));
}

// Reads every record of `name` and says how that ended.
Outcome readAll(const QString& name) {
    return outcomeOf([&] {
        RecordReader records(name);
        while (records.next()) {
        }
    });
}

TEST(RecordReader, MemoryAndReadingStayBounded) {
    if (bytesReadSoFar() < 0)
        GTEST_SKIP() << "/proc/self/io is not available";
    TempWorkDir dir;
    // Error 6 comes as soon as a field passes 64 KiB: that much is read and one buffer more, never
    // the rest. The sparse file reads as 300 MB of NUL bytes.
    struct Case {
        const char* name;
        QByteArray start;
        qint64 size;
    };
    const std::vector<Case> capped{
        {"a megabyte without separators", QByteArray(1024 * 1024, '7'), 1024 * 1024},
        {"a quoted megabyte", '"' + QByteArray(1024 * 1024, '7'), 1024 * 1024 + 1},
        {"300 MB of NUL bytes, sparse", "123,", 300LL * 1024 * 1024},
    };
    for (const Case& c : capped) {
        SCOPED_TRACE(c.name);
        writeFile("k.dat", c.start, c.size);
        const long long before = bytesReadSoFar();
        EXPECT_EQ(readAll("k.dat"), errorOutcome(6, "k.dat", 1));
        EXPECT_LT(bytesReadSoFar() - before, 256 * 1024);
    }
    // A reader that held the file, or any large part of it, would raise the peak by 100 MB.
    QByteArray chunk;
    for (int i = 0; i < 1000; ++i)
        chunk += "999,1,1,2,2,3,3,4,4,9,9\r\n";
    {
        QFile file("k.dat");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (qint64 written = 0; written < 100LL * 1024 * 1024; written += chunk.size())
            ASSERT_EQ(file.write(chunk), chunk.size());
    }
    const long before = peakResidentKiB();
    EXPECT_EQ(readAll("k.dat"), Outcome{});
    const long growth = peakResidentKiB() - before;
    EXPECT_LT(growth, 16 * 1024) << "peak memory grew by " << growth << " KiB";
}

// A file cut while it is read ends before the size it had when it was opened: what follows the
// cut is neither data nor the end of them. A file replaced by a new one is read on as it was.
TEST(RecordReader, AFileCutWhileReadIsADeviceError) {
    TempWorkDir dir;
    QByteArray records;
    for (int i = 0; i < 10'000; ++i) // beyond the first buffer
        records += "999,1,1,2,2,3,3,4,4,9,9\r\n";
    for (const bool cut : {true, false}) {
        SCOPED_TRACE(cut ? "cut" : "replaced");
        dir.write("k.dat", records);
        RecordReader reader("k.dat");
        ASSERT_TRUE(reader.next());
        if (cut)
            ASSERT_TRUE(QFile::resize("k.dat", 5000 * 25));
        else
            ASSERT_TRUE(QFile::remove("k.dat") && QFile::copy("/dev/null", "k.dat"));
        int read = 1;
        const Outcome end = outcomeOf([&] {
            while (reader.next())
                ++read;
        });
        EXPECT_EQ(end, cut ? errorOutcome(57, "k.dat", 5001) : Outcome{});
        EXPECT_EQ(read, cut ? 5000 : 10'000);
    }
}

bool makeSocket(const char* name) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, name);
    const int s = socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound =
        s >= 0 && bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (s >= 0)
        close(s);
    return bound;
}

struct OpenCase {
    const char* name;
    std::function<bool()> make; // makes "k.dat" in the working directory
    QString report;             // the error's report, or empty when the file opens
    bool unprivileged = false;  // only where permissions hold (not as root)
};

// Only a regular file is a data file; anything else is refused at once, without waiting for a
// writer or reading a device. A stuck open ends the test through the alarm.
TEST(DataFile, OpensOnlyARegularFileAndSaysWhyNot) {
    const QString notFound =
        QStringLiteral(u"実行時エラー '53':\n\nファイルが見つかりません。\nk.dat");
    const QString notAFile = QStringLiteral(u"実行時エラー '75':\n\nパス名が無効です。\nk.dat");
    const QString unreadable =
        QStringLiteral(u"実行時エラー '70':\n\nファイルを読み取る権限がありません。\nk.dat");
    auto write = [](const char* content, QFileDevice::Permissions permissions) {
        QFile file("k.dat");
        return file.open(QIODevice::WriteOnly) && file.write(content) >= 0 &&
               file.setPermissions(permissions);
    };
    const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const std::vector<OpenCase> cases{
        {"a regular file", [&] { return write("1\r\n", owner); }, {}},
        {"missing", [] { return true; }, notFound},
        {"another case", [&] { return write("1\r\n", owner) && QFile::rename("k.dat", "K.DAT"); },
         notFound},
        {"a directory", [] { return mkdir("k.dat", 0755) == 0; }, notAFile},
        {"a link to a directory",
         [] { return mkdir("d", 0755) == 0 && symlink("d", "k.dat") == 0; }, notAFile},
        {"a FIFO without a writer", [] { return mkfifo("k.dat", 0644) == 0; }, notAFile},
        {"a link to /dev/zero", [] { return symlink("/dev/zero", "k.dat") == 0; }, notAFile},
        {"a link to /dev/null", [] { return symlink("/dev/null", "k.dat") == 0; }, notAFile},
        {"a unix socket", [] { return makeSocket("k.dat"); }, notAFile},
        {"an unreadable file", [&] { return write("1\r\n", QFileDevice::WriteOwner); }, unreadable,
         true},
        // What is not a regular file is error 75 even where it may not be read.
        {"an unreadable FIFO", [] { return mkfifo("k.dat", 0) == 0; }, notAFile, true},
        {"an unreadable directory", [] { return mkdir("k.dat", 0) == 0; }, notAFile, true},
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.unprivileged && geteuid() == 0)
            continue; // root reads everything; CTest runs this test again as nobody
        TempWorkDir dir;
        ASSERT_TRUE(c.make());
        const zunova::testing::DescriptorCount fds;
        QString report;
        alarm(5);
        try {
            DataFile file("k.dat");
        } catch (const RuntimeError& e) {
            report = e.report();
        }
        alarm(0);
        EXPECT_EQ(report, c.report);
        EXPECT_EQ(fds.opened(), 0);
    }
}

} // namespace
