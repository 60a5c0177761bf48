// Hostile and broken inputs, end to end through the query: each must give a clear result or a
// documented error, leave no file open, and leave the lookup usable.
#include "lookup/carrierlookup.h"
#include "runtime/runtimeerror.h"
#include "support/recordingwindow.h"
#include "support/tempworkdir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <optional>
#include <random>
#include <string>

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
        // The last field is the empty one the line end closes, on line 1.
        {"a line of a million commas", QByteArray(1'000'000, ',') + "\r\n", 62, 1},
        {"a field of 10,000 digits", "1," + QByteArray(10'000, '7') + ",3\r\n", 6, 1},
        {"a field of a megabyte", "123," + QByteArray(1024 * 1024, '7'), 6, 1},
        // Error 62 names the line the cut-short record's last field stands on, never one past
        // the end of the file.
        {"a record cut short", "777,1,1,1,1,1,1,1,1,1,1\r\n123,1,1\r\n", 62, 2},
        {"a record cut short, blank lines after it",
         "777,1,1,1,1,1,1,1,1,1,1\r\n123,1,1\r\n\r\n \n", 62, 2},
        {"a record cut short over two lines", "123,1,1,2\r\n2,3\n\n", 62, 2},
        {"a record cut short after a comma", "123,1,1,2,2,3,3,4,4,\r\n", 62, 1},
        // 0x1A ends the data where it stands, so a record it interrupts is cut short; here the
        // plain-record fast path meets it after the fifth field in the first two.
        {"a DOS end-of-file mark inside a record",
         "123,1,1,2,2\x1A,3,3,4,4,9,9\r\n456,1,1,1,1,1,1,1,1,1,1\r\n", 62, 1},
        {"a DOS end-of-file mark between two fields",
         "123,1,1,2,2\x1A"
         "3,3,4,4,9,9\r\n456,1,1,1,1,1,1,1,1,1,1\r\n",
         62, 1},
        {"a DOS end-of-file mark inside the key",
         "12\x1A"
         "3,1,1,2,2,3,3,4,4,9,9\r\n",
         62, 1},
        {"a DOS end-of-file mark on the second line of a record", "123,1,1,2,2\r\n3\x1A,3\r\n", 62,
         2},
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

// The highest resident set size this process has had, in KiB.
long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
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
    // A reader that held the file (or any large part of it) would raise the peak by 100 MB.
    const long before = peakResidentKiB();
    EXPECT_EQ(query("09012345678").label4, "J-Phone"); // the last record
    EXPECT_EQ(query("09077705678").label4, QStringLiteral(u"不明"));
    const long growth = peakResidentKiB() - before;
    EXPECT_LT(growth, 16 * 1024) << "peak memory grew by " << growth << " KiB";
}

// How many bytes this process has read through read() and the like so far.
long long bytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return -1;
}

TEST(Reliability, AFieldStopsBeingReadAtItsCap) {
    if (bytesReadSoFar() < 0)
        GTEST_SKIP() << "/proc/self/io is not available";
    struct Case {
        const char* name;
        QByteArray start;
        qint64 size;
    };
    // Error 6 comes as soon as a field passes 64 KiB: the lookup reads that much and one buffer
    // more, never the rest. The sparse file reads as 300 MB of NUL bytes.
    const std::vector<Case> cases{
        {"a megabyte without separators", QByteArray(1024 * 1024, '7'), 1024 * 1024},
        {"a quoted megabyte", '"' + QByteArray(1024 * 1024, '7'), 1024 * 1024 + 1},
        {"300 MB of NUL bytes, sparse", "123,", 300LL * 1024 * 1024},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempWorkDir dir;
        {
            QFile file(QDir(dir.path()).filePath("k.dat"));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            ASSERT_EQ(file.write(c.start), c.start.size());
            ASSERT_TRUE(file.resize(c.size));
        }
        const long long before = bytesReadSoFar();
        const Outcome out = query("09012345678");
        const long long read = bytesReadSoFar() - before;
        EXPECT_EQ(out.error, 6);
        EXPECT_EQ(out.line, 1);
        EXPECT_LT(read, 256 * 1024) << read << " bytes read";
    }
}

// Runs one query in a child process and waits at most `limit` for it, so a lookup that blocks
// fails the test instead of hanging the suite. Nothing when the limit passed.
std::optional<Outcome> queryWithin(const QString& number, std::chrono::milliseconds limit) {
    int ends[2];
    if (pipe(ends) != 0)
        return Outcome{-1, 0, {}};
    const pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        const zunova::testing::DescriptorCount fds;
        int result[3] = {0, 0, 0}; // error, line, descriptors left open
        try {
            RecordingWindow window(number, QString());
            CarrierLookup(window).Chousa();
        } catch (const RuntimeError& e) {
            result[0] = static_cast<int>(e.number());
            result[1] = e.line();
        }
        result[2] = fds.opened();
        const bool sent = write(ends[1], result, sizeof result) == sizeof result;
        _exit(sent ? 0 : 1);
    }
    close(ends[1]);
    int result[3] = {-1, 0, 0};
    pollfd ready{ends[0], POLLIN, 0};
    const bool answered = child > 0 && poll(&ready, 1, static_cast<int>(limit.count())) == 1 &&
                          read(ends[0], result, sizeof result) == sizeof result;
    close(ends[0]);
    if (child > 0) {
        if (!answered)
            kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    if (!answered)
        return std::nullopt;
    EXPECT_EQ(result[2], 0) << "descriptors left open";
    return Outcome{result[0], result[1], {}};
}

TEST(Reliability, OnlyARegularFileIsRead) {
    struct Case {
        const char* name;
        bool (*make)(); // makes "k.dat" in the working directory
    };
    const std::vector<Case> cases{
        {"a FIFO without a writer",
         [] {
             return mkfifo("k.dat", 0644) == 0;
         }},
        {"a link to /dev/zero",
         [] {
             return symlink("/dev/zero", "k.dat") == 0;
         }},
        {"a link to /dev/null",
         [] {
             return symlink("/dev/null", "k.dat") == 0;
         }},
        {"a unix socket",
         [] {
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             std::strcpy(address.sun_path, "k.dat");
             const int s = socket(AF_UNIX, SOCK_STREAM, 0);
             const bool bound =
                 s >= 0 && bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
             if (s >= 0)
                 close(s);
             return bound;
         }},
        {"a directory",
         [] {
             return mkdir("k.dat", 0755) == 0;
         }},
        {"a link to a directory",
         [] {
             return mkdir("d", 0755) == 0 && symlink("d", "k.dat") == 0;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempWorkDir dir;
        ASSERT_TRUE(c.make());
        const std::optional<Outcome> out = queryWithin("09012345678", std::chrono::seconds(5));
        if (!out) {
            ADD_FAILURE() << "the lookup did not finish within 5 s";
            continue;
        }
        EXPECT_EQ(out->error, 75);
        EXPECT_EQ(out->line, 0);
    }
}

struct MarkCase {
    const char* name;
    QByteArray content;
    const char* number;
    const char16_t* label4;
};

TEST(Reliability, DosEndOfFileMarkEndsTheData) {
    QByteArray manyRecords; // crosses the read buffer, read by the plain-record fast path
    for (int i = 0; i < 4000; ++i)
        manyRecords += "999,1,1,2,2,3,3,4,4,9,9\r\n";
    const QByteArray record = "123,1,1,2,2,3,3,4,4,9,9";
    const std::vector<MarkCase> cases{
        {"after the last line end, block not found", record + "\r\n\x1A", "09077705678", u"不明"},
        {"after the last line end, block found", record + "\r\n\x1A", "09012345678", u"J-Phone"},
        {"right after the last field", record + "\x1A", "09077705678", u"不明"},
        {"followed by junk", record + "\r\n\x1A" + randomBytes(1000), "09077705678", u"不明"},
        {"before a record", "777,1,1,1,1,1,1,1,1,1,1\r\n\x1A" + record + "\r\n", "09012345678",
         u"不明"},
        {"at the start", "\x1A" + record + "\r\n", "09012345678", u"不明"},
        {"after blank lines", record + "\r\n\r\n  \r\n\x1A\r\n", "09077705678", u"不明"},
        {"after 100 KB of records", manyRecords + "\x1A" + record + "\r\n", "09012345678", u"不明"},
        {"after 100 KB of records, block found", manyRecords + record + "\r\n\x1Ajunk",
         "09012345678", u"J-Phone"},
    };
    for (const MarkCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempWorkDir dir;
        dir.write("k.dat", c.content);
        const Outcome out = query(c.number);
        EXPECT_EQ(out.error, 0);
        EXPECT_EQ(out.label4, QString::fromUtf16(c.label4));
    }
}

TEST(Reliability, DataFileThatCannotBeOpened) {
    TempWorkDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("k.dat"));
    EXPECT_EQ(query("09012345678").error, 75);
    dir.write("p.dat", "123,1,1,2,2,3,3,4,4,9,9\r\n");
    if (geteuid() != 0) { // root reads every file; CTest also runs this as an unprivileged user
        ASSERT_TRUE(QFile::setPermissions(QDir(dir.path()).filePath("p.dat"), {}));
        EXPECT_EQ(query("07012345678").error, 70);
        // What is not a regular file is error 75 even where it may not be read.
        TempWorkDir other;
        ASSERT_EQ(mkfifo("k.dat", 0), 0);
        EXPECT_EQ(query("09012345678").error, 75);
        ASSERT_EQ(mkdir("p.dat", 0), 0);
        EXPECT_EQ(query("07012345678").error, 75);
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
