// The bulk record source against Hanbetsu's own scan: for every file and number, the same answer.
#include "lookup/carrierlookup.h"
#include "lookup/recordfinder.h"
#include "runtime/runtimeerror.h"
#include "support/outcome.h"
#include "support/recordingwindow.h"
#include "support/tempworkdir.h"

#include <QDir>

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

using zunova::lookup::CarrierLookup;
using zunova::lookup::DataFileIndex;
using zunova::runtime::RuntimeError;
using zunova::testing::DescriptorCount;
using zunova::testing::Outcome;
using zunova::testing::outcomeOf;
using zunova::testing::RecordingWindow;
using zunova::testing::TempWorkDir;

namespace {

std::string printable(const QByteArray& bytes) {
    std::string out;
    for (char c : bytes.left(400)) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7f) {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", u);
            out += hex;
        }
    }
    return out;
}

// Asks every number of `numbers` of one index, in order, and each of Hanbetsu on its own.
void expectSameAnswers(const QStringList& numbers, const QStringList& files,
                       const std::string& context) {
    DataFileIndex index;
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        const QString& number = numbers[i];
        const QString& file = files[i % files.size()];
        const Outcome bulk = outcomeOf([&] { return index.find(number, file); });
        const Outcome single = outcomeOf([&] { return CarrierLookup::Hanbetsu(number, file); });
        ASSERT_EQ(bulk, single) << context << "\nnumber " << number.toStdString() << " in "
                                << file.toStdString();
    }
}

QString number(int block, int column) {
    return QStringLiteral("090%1%2%3").arg(block, 3, 10, QLatin1Char('0')).arg(column).arg("5678");
}

// Numbers for the blocks the files below use, first and last column, plus ones that never
// convert (those must fail before any file is opened, whatever the file).
QStringList tableNumbers() {
    QStringList numbers;
    for (int block : {0, 1, 2, 5, 6, 7, 123, 500, 998, 999})
        for (int column : {0, 9})
            numbers << number(block, column);
    numbers << QStringLiteral("0901A345678") << QStringLiteral(u"090１２３４５６７８");
    return numbers;
}

QByteArray records(std::initializer_list<int> keys, int code = 1) {
    QByteArray out;
    for (int key : keys) {
        out += QByteArray::number(key);
        for (int column = 0; column < 10; ++column)
            out += ',' + QByteArray::number(code + column % 3);
        out += "\r\n";
    }
    return out;
}

struct FileCase {
    const char* name;
    std::optional<QByteArray> content; // nothing: the file does not exist
};

TEST(DataFileIndex, AnswersAsHanbetsuOnHandMadeFiles) {
    QByteArray allBlocks;
    for (int key = 0; key < 1000; ++key)
        allBlocks += records({key}, key % 9);
    const std::vector<FileCase> cases{
        {"missing", std::nullopt},
        {"empty", QByteArray()},
        {"blank lines only", " \r\n\t\r\n\n"},
        {"clean", records({5, 123, 999, 0})},
        {"duplicate key: the first wins", records({123}, 1) + records({123}, 4)},
        {"keys nobody asks for", records({-1, 1000, 32767, 2})},
        {"cut short after some records", records({1, 2}) + "5,1,1"},
        {"not a number after some records",
         records({1, 2}) + "6,x,1,1,1,1,1,1,1,1,1\r\n" + records({7})},
        {"not a number in a key", records({1}) + "abc,1,1,1,1,1,1,1,1,1,1\r\n" + records({5})},
        {"overflow after some records", records({998}) + "7,1,1,99999,1,1,1,1,1,1,1\r\n"},
        {"NUL inside a record", records({1}) + QByteArray("2,1,1\0,1,1,1,1,1,1,1,1\r\n", 24)},
        {"the wanted block after the flaw", "1,2,3\r\nx\r\n" + records({123})},
        {"flaw in the first record", "x" + records({123})},
        {"record split over lines and quoted",
         "123,1,1,1,\"2\",2\r\n 3 ,3,\t4,4,\r\n" + records({5})},
        {"a field of 70,000 digits", records({1}) + QByteArray(70'000, '7') + "\r\n"},
        {"every block, then garbage", allBlocks + "garbage"},
        {"every block but one, then garbage", allBlocks.mid(allBlocks.indexOf("\n") + 1) + "?"},
        {"DOS end-of-file mark", records({1}) + "\x1a" + records({2})},
    };
    const QStringList numbers = tableNumbers();
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempWorkDir dir;
        if (c.content)
            dir.write("k.dat", *c.content);
        const DescriptorCount fds;
        expectSameAnswers(numbers, {QStringLiteral("k.dat")}, c.name);
        EXPECT_EQ(fds.opened(), 0) << "the data file stays open";
    }
}

TEST(DataFileIndex, AnswersAsHanbetsuForFilesThatCannotBeRead) {
    TempWorkDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("k.dat")));
    const DescriptorCount fds;
    expectSameAnswers(tableNumbers(), {QStringLiteral("k.dat")}, "a directory");
    EXPECT_EQ(fds.opened(), 0);
}

// Random files from the reader's whole grammar, with flaws anywhere, and random numbers; a fixed
// seed, so a failure repeats.
class RandomFiles {
public:
    explicit RandomFiles(unsigned seed)
        : m_rng(seed) {}

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    bool chance(int percent) { return pick(100) < percent; }

    QByteArray file() {
        QByteArray out;
        const int count = pick(14);
        for (int r = 0; r < count; ++r) {
            if (chance(10))
                out += lineEnd();
            out += field(key());
            for (int column = 0; column < 10; ++column) {
                out += chance(8) ? lineEnd() : QByteArray(",");
                out += field(pick(14) - 1);
            }
            out += chance(5) ? QByteArray(",") : lineEnd();
        }
        if (chance(50))
            out = withFlaw(out);
        return out;
    }

    QString number() {
        const int block = chance(80) ? kKeys[std::size_t(pick(9))] : pick(1000);
        QString text = ::number(block, pick(10));
        if (chance(8))
            text[3 + pick(4)] = QChar(u"A .+\uFF15"[pick(5)]);
        return text;
    }

private:
    // Keys drawn from a small pool, so blocks repeat and numbers find them.
    static constexpr std::array<int, 12> kKeys{0, 1, 2, 5, 7, 123, 500, 998, 999, -1, 1000, 4321};

    int key() { return chance(90) ? kKeys[std::size_t(pick(12))] : pick(1000); }

    QByteArray lineEnd() { return std::array<const char*, 3>{"\r\n", "\n", "\r"}[pick(3)]; }

    QByteArray field(int value) {
        const QByteArray digits = QByteArray::number(value);
        switch (pick(12)) {
        case 0:
            return " " + digits + "\t";
        case 1:
            return '"' + digits + '"';
        case 2:
            return value == 0 ? QByteArray() : digits;
        case 3:
            return value >= 0 ? "+" + digits : digits;
        default:
            return digits;
        }
    }

    QByteArray withFlaw(QByteArray content) {
        const qsizetype at = content.isEmpty() ? 0 : pick(int(content.size()) + 1);
        switch (pick(7)) {
        case 0:
            return content.left(at); // cut short anywhere
        case 1:
            return content.insert(at, "x");
        case 2:
            return content.insert(at, "99999");
        case 3:
            return content.insert(at, QByteArray(1, '\0'));
        case 4:
            return content.insert(at, "\"");
        case 5:
            return content.insert(at, "\x1a");
        default: {
            QByteArray noise;
            for (int i = pick(4) + 1; i > 0; --i)
                noise += char(pick(256));
            return content.insert(at, noise);
        }
        }
    }

    std::mt19937 m_rng;
};

TEST(DataFileIndex, AnswersAsHanbetsuOnRandomFilesAndNumbers) {
    RandomFiles random(12);
    const QStringList files{"k.dat", "p.dat", "none.dat"};
    const DescriptorCount fds;
    for (int round = 0; round < 400; ++round) {
        TempWorkDir dir;
        const QByteArray k = random.file();
        const QByteArray p = random.file();
        dir.write("k.dat", k);
        dir.write("p.dat", p);
        QStringList numbers;
        QStringList fileOfNumber;
        for (int i = 0; i < 30; ++i) {
            numbers << random.number();
            fileOfNumber << files[random.pick(3)];
        }
        // One index for numbers of all three files interleaved: it must keep them apart.
        DataFileIndex index;
        for (qsizetype i = 0; i < numbers.size(); ++i) {
            const Outcome bulk = outcomeOf([&] { return index.find(numbers[i], fileOfNumber[i]); });
            const Outcome single =
                outcomeOf([&] { return CarrierLookup::Hanbetsu(numbers[i], fileOfNumber[i]); });
            ASSERT_EQ(bulk, single) << "round " << round << ", number " << numbers[i].toStdString()
                                    << " in " << fileOfNumber[i].toStdString()
                                    << "\nk.dat: " << printable(k) << "\np.dat: " << printable(p);
        }
    }
    EXPECT_EQ(fds.opened(), 0);
}

TEST(DataFileIndex, ReadsEachFileOnce) {
    TempWorkDir dir;
    dir.write("k.dat", records({123}, 1));
    DataFileIndex index;
    EXPECT_EQ(index.find(number(123, 0), "k.dat"), 1);
    EXPECT_EQ(index.find(number(5, 0), "k.dat"), std::nullopt);
    // Later changes are not seen: the answers of one run come from one reading.
    dir.write("k.dat", records({123, 5}, 3));
    EXPECT_EQ(index.find(number(123, 0), "k.dat"), 1);
    EXPECT_EQ(index.find(number(5, 0), "k.dat"), std::nullopt);
    ASSERT_TRUE(QFile::remove(QDir(dir.path()).filePath("k.dat")));
    EXPECT_EQ(index.find(number(123, 1), "k.dat"), 2);
    // A file missing at its first use stays missing for the run, with the same error each time.
    for (int i = 0; i < 2; ++i) {
        const Outcome missing = outcomeOf([&] { return index.find(number(1, 1), "p.dat"); });
        EXPECT_EQ(missing,
                  outcomeOf([&] { return CarrierLookup::Hanbetsu(number(1, 1), "p.dat"); }));
        EXPECT_NE(missing.error, 0);
    }
}

// The query through the finder: what the window does with the code, whatever its source.
class FixedFinder : public zunova::lookup::RecordFinder {
public:
    std::optional<qint16> find(const QString& InTn, const QString& syube) override {
        asked << InTn + u' ' + syube;
        if (InTn[4] == u'6')
            throw RuntimeError(zunova::runtime::ErrorNumber::InputPastEndOfFile, syube, 4);
        return InTn[4] == u'5' ? std::nullopt : std::optional<qint16>(3);
    }
    QStringList asked;
};

TEST(Chousa, AsksTheFinderInsteadOfScanning) {
    TempWorkDir dir; // no data files at all: a scan would fail with error 53
    FixedFinder finder;
    struct Case {
        QString text;
        QString label4;
        int error;
    };
    const std::vector<Case> cases{
        {"09012345678", "J-Phone", 0},
        {"07012345678", QStringLiteral(u"アステル"), 0},
        {"09015345678", QStringLiteral(u"不明"), 0},
        {"09016345678", "before", 62},
        {"0901234567", "before", 0}, // the length warning comes before any lookup
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        RecordingWindow window(c.text);
        CarrierLookup lookup(window, &finder);
        const Outcome outcome = outcomeOf([&] {
            lookup.Chousa();
            return std::optional<qint16>();
        });
        EXPECT_EQ(outcome.error, c.error);
        EXPECT_EQ(window.label4, c.label4);
    }
    EXPECT_EQ(finder.asked, QStringList({"09012345678 k.dat", "07012345678 p.dat",
                                         "09015345678 k.dat", "09016345678 k.dat"}));
}

} // namespace
