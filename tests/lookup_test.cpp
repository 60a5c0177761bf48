// The query and the record sources: entered text to answer, through the one-by-one scan and the
// one-read index, which must always agree.
#include "lookup/query.h"
#include "lookup/readonceindex.h"
#include "lookup/recordsource.h"
#include "lookup/writtennumber.h"
#include "support/answer.h"
#include "support/tempworkdir.h"
#include "textlist/textlist.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <random>
#include <string>
#include <vector>

using zunova::lookup::FileScan;
using zunova::lookup::lookUp;
using zunova::lookup::ReadOnceIndex;
using zunova::lookup::RecordSource;
using zunova::testing::describe;
using zunova::testing::DescriptorCount;
using zunova::testing::TempWorkDir;

namespace {

QString answerOf(const QString& number, RecordSource& records) {
    return describe(lookUp(number, records));
}

// Blocks used below: k.dat names every cellular code across block 123 and uses unnamed codes in
// block 500; p.dat does the same for PHS. Block 777 has no record in either.
const QByteArray kK = "123,1,1,2,2,3,3,4,4,9,9\r\n"
                      "500,0,5,6,7,8,-1,32767,-32768,10,4\r\n"
                      "123,9,9,9,9,9,9,9,9,9,9\r\n";
const QByteArray kP = "123,1,1,2,2,3,3,9,9,4,0\r\n";

const QString kLength = QStringLiteral(u"warning １１桁で入力してください。");
const QString kNotMobile = QStringLiteral(u"warning 移動電話の番号ではありません。");

struct QueryCase {
    QString number;
    QString answer;
    std::optional<QByteArray> kdat = kK; // nothing: no such file
    std::optional<QByteArray> pdat = kP;
};

void writeOrRemove(const TempWorkDir& dir, const QString& name,
                   const std::optional<QByteArray>& content) {
    QFile::remove(QDir(dir.path()).filePath(name));
    if (content)
        dir.write(name, *content);
}

TEST(Query, AnswersEachEnteredNumber) {
    const QString cut = QStringLiteral("123,1,1,2,2,3,3,4,4,9,9\r\n1,2,3\r\n");
    const std::vector<QueryCase> cases{
        // The length comes first, then the prefix 0x0, then position 2 picks the network.
        {"", kLength},
        {"0901234567", kLength},
        {"090123456789", kLength},
        {QStringLiteral(u"0901234567😀"), kLength}, // twelve UTF-16 units
        {QStringLiteral(u"０９０１２３４５６７８"), kNotMobile},
        {QStringLiteral(u"0９0１２３４５６７８"), kNotMobile},
        {"08012345678", kNotMobile},
        {"19012345678", kNotMobile},
        {"09112345678", kNotMobile},
        {"0A012345678", kNotMobile},
        // 090 reads k.dat: block 123, the seventh digit picks the code; the first record of a
        // block is the one used.
        {"09012305678", QStringLiteral(u"carrier ＮＴＴドコモ")},
        {"09012325678", QStringLiteral(u"carrier ａｕ")},
        {"09012345678", "carrier J-Phone"},
        {"09012365678", "carrier TuKa"},
        {"09012395678", QStringLiteral(u"carrier 不明")},
        // 070 reads p.dat, where code 1 has another name and code 4 none.
        {"07012305678", QStringLiteral(u"carrier ドコモ")},
        {"07012325678", QStringLiteral(u"carrier ＤＤＩ")},
        {"07012345678", QStringLiteral(u"carrier アステル")},
        {"07012365678", QStringLiteral(u"carrier 不明")},
        {"07012385678", QStringLiteral(u"carrier 不明")},
        {"07012395678", QStringLiteral(u"carrier 不明")},
        // Codes without a name and blocks without a record say 不明, never nothing.
        {"09050005678", QStringLiteral(u"carrier 不明")},
        {"09050015678", QStringLiteral(u"carrier 不明")},
        {"09050085678", QStringLiteral(u"carrier 不明")},
        {"09050095678", "carrier TuKa"},
        {"09077705678", QStringLiteral(u"carrier 不明")},
        {"07077705678", QStringLiteral(u"carrier 不明")},
        // Positions 8 to 11 are never looked at.
        {"0901234ABCD", "carrier J-Phone"},
        {QStringLiteral(u"090123456😀"), "carrier J-Phone"},
        // Positions 4 to 7: ASCII or full-width digits only, each position on its own.
        {QStringLiteral(u"090１２３４😀😀"), "carrier J-Phone"},
        {QStringLiteral(u"090１2345678"), "carrier J-Phone"},
        {QStringLiteral(u"0901２345678"), "carrier J-Phone"},
        {QStringLiteral(u"09012３45678"), "carrier J-Phone"},
        {QStringLiteral(u"090123４5678"), "carrier J-Phone"},
        {QStringLiteral(u"090123９5678"), QStringLiteral(u"carrier 不明")},
        {QStringLiteral(u"090９９９９5678"), QStringLiteral(u"carrier 不明")},
        {"090A2345678", "error 13"},
        {"0901A345678", "error 13"},
        {"09012A45678", "error 13"},
        {"090123X5678", "error 13"},
        {"070 1220 56", "error 13"},
        {"090+1245678", "error 13"},
        {"0909e95678X", "error 13"},
        {"0901.245678", "error 13"},
        {"090&H15678X", "error 13"},
        {"090123.5678", "error 13"},
        {QStringLiteral(u"090😀345678"), "error 13"},
        // A number's error comes before any file is opened.
        {"0901A345678", "error 13", std::nullopt},
        // Data files: missing, cut short, beyond 16 bits, not a number; each error names the
        // file and the line, and a block found before the flaw is answered.
        {"07012345678", "error 53 p.dat", kK, std::nullopt},
        {"09012345678", "carrier J-Phone", kK, std::nullopt},
        {"09012345678", "error 53 k.dat", std::nullopt},
        {"09077705678", "error 62 k.dat:2", cut.toLatin1()},
        {"09012345678", "carrier J-Phone", cut.toLatin1()},
        {"09077705678", "error 6 k.dat:2", "1,2,3,4,5,6,7,8,9,10,11\r\n1,2,99999\r\n"},
        {"09077705678", "error 13 k.dat:1", "1,2,3,4,5,6,7,8,9,10,eleven\r\n"},
        // Nothing after the record found is read.
        {"09012345678", "carrier J-Phone", "123,1,1,2,2,3,3,4,4,9,9\r\nnot data at all"},
        // Keys compare as numbers; a record may run over two lines; an empty file has none.
        {"09001285678", QStringLiteral(u"carrier ａｕ"), "0012,1,2,3,4,1,2,3,4,2,1\n"},
        {"09012395678", "carrier J-Phone", "123,1,1,1,1,1\r\n2,2,2,2,3\r\n"},
        {"09012345678", QStringLiteral(u"carrier 不明"), ""},
    };
    TempWorkDir dir;
    FileScan scan;
    const DescriptorCount fds;
    for (const QueryCase& c : cases) {
        SCOPED_TRACE(c.number.toStdString());
        writeOrRemove(dir, "k.dat", c.kdat);
        writeOrRemove(dir, "p.dat", c.pdat);
        EXPECT_EQ(answerOf(c.number, scan), c.answer);
    }
    EXPECT_EQ(fds.opened(), 0) << "a data file stayed open";
}

// Every non-digit of the Basic Multilingual Plane, in each of positions 4 to 7.
TEST(Query, NoOtherCharacterNamesABlock) {
    TempWorkDir dir;
    dir.write("k.dat", kK);
    FileScan scan;
    for (char32_t u = 1; u <= 0xFFFF; ++u) {
        if ((u >= u'0' && u <= u'9') || (u >= 0xFF10 && u <= 0xFF19))
            continue;
        for (int position = 3; position < 7; ++position) {
            QString number = QStringLiteral("09012345678");
            number[position] = QChar(static_cast<char16_t>(u));
            ASSERT_EQ(answerOf(number, scan), "error 13") << "U+" << std::hex << int(u);
        }
    }
}

// Numbers as people and programs write them. Restore: read in a list or on the command line,
// where a spreadsheet's lost zero is put back.
TEST(WrittenNumber, ReadAsListsAndPeopleWriteThem) {
    using zunova::lookup::DroppedZero;
    struct Case {
        QString written;
        QString read;
        DroppedZero dropped = DroppedZero::Keep;
        bool restored = false;
    };
    const std::vector<Case> cases{
        {"090-3001-2345", "09030012345"},
        {"(070) 1220.5678", "07012205678"},
        {QStringLiteral(u"（０９０）３００１ー２３４５"), "09030012345"},
        {QStringLiteral(u"０９０\u3000３００１\u3000２３４５"), "09030012345"},
        {QStringLiteral(u"090‐3001–23—4−5－6ｰ7．8"), "09030012345678"},
        // Other separators: slashes, the wave dash and tildes, no-break and other spaces.
        {"090/3001/2345", "09030012345"},
        {QStringLiteral(u"090〜3001～2345"), "09030012345"},
        {"090~3001~2345", "09030012345"},
        {QStringLiteral(u"090\u00A03001\u20092345"), "09030012345"},
        // International: 81 stands for the leading 0, never doubled.
        {"+81 90-3001-2345", "09030012345"},
        {"+819030012345", "09030012345"},
        {"+81 (0)90 3001 2345", "09030012345"},
        {"+81 (90) 3001-2345", "09030012345"},
        {"81-90-3001-2345", "09030012345"},
        {"0081-90-3001-2345", "09030012345"},
        {"010 81 90 3001 2345", "09030012345"},
        {"819030012345", "09030012345"}, // as SMS gateways write it
        {QStringLiteral(u"＋８１ ９０ ３００１ ２３４５"), "09030012345"},
        // Excel: a lost zero, and its ways of keeping one.
        {"9030012345", "09030012345", DroppedZero::Restore, true},
        {QStringLiteral(u"７０１２２０５６７８"), "07012205678", DroppedZero::Restore, true},
        {"=\"09030012345\"", "09030012345"},
        {"'09030012345", "09030012345"},
        // A label or note around it; of two numbers, the first mobile one.
        {"TEL:090-3001-2345", "09030012345"},
        {QStringLiteral(u"携帯 090-3001-2345"), "09030012345"},
        {QStringLiteral(u"090-3001-2345（携帯）"), "09030012345"},
        {"090-3001-2345(本人)", "09030012345"},
        {"03-1234-5678 ::: 090-3001-2345", "09030012345"},
        {"090-3001-2345/070-1220-5678", "09030012345"},
        {QStringLiteral(u"03-1234-5678、080-3001-2345"), "08030012345"},
        {"080-1111-2222 ::: 090-3001-2345", "09030012345"}, // the one the data files answer
        // Near misses: what is not plainly one number is not made one.
        {"03-1234-5678", "0312345678"},                                 // a landline, as before
        {QStringLiteral(u"〒100-0001"), QStringLiteral(u"〒100-0001")}, // a postcode
        {"2024/01/05", "20240105"}, // a date: no number's digits
        {QStringLiteral(u"¥90,123,456"), QStringLiteral(u"¥90,123,456")}, // an amount
        {"0903001234507012205678", "0903001234507012205678"},             // two run together
        {"9030012345", "9030012345"}, // the window's entry puts nothing back
        {"90-3001-2345", "9030012345", DroppedZero::Restore}, // not a cell of ten digits
        {"5030012345", "5030012345", DroppedZero::Restore},   // no mobile number's
        {"+1 555 123 4567", "+1 555 123 4567"},               // another country's
        {"0901234\r678", "0901234\r678"},                     // a control character: not guessed at
        {"tel 090-3001", "tel 090-3001"},
        {"SM3aca1d0438340629ac7f", "SM3aca1d0438340629ac7f"}, // an ID: digits glued to letters
        {"81903001234", "81903001234"},                       // 81 and nine digits: no mobile
        {"-", "-"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written.toStdString());
        const auto read = zunova::lookup::readWrittenNumber(c.written, c.dropped);
        EXPECT_EQ(read.text, c.read);
        EXPECT_EQ(read.zeroRestored, c.restored);
    }
}

// The one-read index against the one-by-one scan.

// Numbers of the blocks the files below use, first and last column, and ones that never convert.
QStringList tableNumbers() {
    QStringList numbers;
    for (int block : {0, 1, 2, 5, 6, 7, 123, 500, 998, 999})
        for (int column : {0, 9})
            numbers << QStringLiteral("090%1%2").arg(block, 3, 10, QLatin1Char('0')).arg(column) +
                           QStringLiteral("5678");
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

std::string printable(const QByteArray& bytes) {
    std::string out;
    for (char c : bytes.left(400)) {
        const auto u = static_cast<unsigned char>(c);
        out += u >= 0x20 && u < 0x7f ? std::string(1, c)
                                     : "\\x" + QByteArray::number(u, 16).toStdString();
    }
    return out;
}

// Asks an index every number, in order, and a scan each on its own; files cycle through `files`.
void expectSameAnswers(const QStringList& numbers, const std::string& context) {
    ReadOnceIndex index;
    FileScan scan;
    for (const QString& number : numbers)
        ASSERT_EQ(answerOf(number, index), answerOf(number, scan))
            << context << "\nnumber " << number.toStdString();
}

TEST(ReadOnceIndex, AnswersAsTheScanOnHandMadeFiles) {
    QByteArray allBlocks;
    for (int key = 0; key < 1000; ++key)
        allBlocks += records({key}, key % 9);
    const std::vector<std::pair<const char*, std::optional<QByteArray>>> cases{
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
    for (const auto& [name, content] : cases) {
        SCOPED_TRACE(name);
        TempWorkDir dir;
        if (content)
            dir.write("k.dat", *content);
        const DescriptorCount fds;
        expectSameAnswers(tableNumbers(), name);
        EXPECT_EQ(fds.opened(), 0) << "the data file stays open";
    }
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
        return chance(50) ? withFlaw(out) : out;
    }

    QString number() {
        const int block = chance(80) ? kKeys[std::size_t(pick(9))] : pick(1000);
        // Pieces joined, not "0%10%2…": arg() would read that as placeholder 10.
        QString text = QStringLiteral("0") + (chance(50) ? u'9' : u'7') + u'0' +
                       QStringLiteral("%1").arg(block, 3, 10, QLatin1Char('0')) +
                       QString::number(pick(10)) + QStringLiteral("5678");
        if (chance(8))
            text[3 + pick(4)] = QChar(u"A .+\uFF15"[pick(5)]);
        if (chance(5))
            text[2 * pick(2)] = u'1'; // not a mobile number, yet its block is one
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

// The same numbers as a list, written as people write them: each row gets exactly the answer a
// one-by-one lookup of its number gives.
void expectListAnswers(const QStringList& numbers, RandomFiles& random,
                       const std::string& context) {
    QByteArray csv = "name,tel\r\n";
    QStringList written;
    for (const QString& number : numbers) {
        QString text = number;
        if (random.chance(30))
            text = number.left(3) + u'-' + number.mid(3, 4) + u'-' + number.mid(7);
        csv += "n," + (random.chance(20) ? '"' + text.toUtf8() + '"' : text.toUtf8()) + "\r\n";
        written << text;
    }
    ReadOnceIndex index;
    FileScan scan;
    zunova::list::Progress progress;
    auto read = zunova::textlist::readTextList(csv, {}, index, progress);
    const auto* text = std::get_if<zunova::textlist::TextList>(&read);
    ASSERT_TRUE(text) << context;
    const zunova::list::ListDocument* list = &text->document;
    ASSERT_EQ(list->rows().size(), std::size_t(written.size()) + 1) << context;
    for (qsizetype i = 0; i < written.size(); ++i) {
        const auto& row = list->rows()[std::size_t(i) + 1];
        ASSERT_EQ(describe(*list->answers()[row.answer]),
                  answerOf(zunova::lookup::digitsOfWrittenNumber(written[i]), scan))
            << context << "\nrow " << written[i].toStdString();
    }
}

TEST(ReadOnceIndex, AnswersAsTheScanOnRandomFilesAndNumbers) {
    RandomFiles random(12);
    const DescriptorCount fds;
    for (int round = 0; round < 400; ++round) {
        TempWorkDir dir;
        const QByteArray k = random.file();
        const QByteArray p = random.file();
        dir.write("k.dat", k);
        if (random.chance(80))
            dir.write("p.dat", p);
        QStringList numbers;
        for (int i = 0; i < 30; ++i)
            numbers << random.number();
        // One index for numbers of both files interleaved: it must keep them apart.
        const std::string context = "round " + std::to_string(round) + "\nk.dat: " + printable(k) +
                                    "\np.dat: " + printable(p);
        expectSameAnswers(numbers, context);
        expectListAnswers(numbers, random, context);
    }
    EXPECT_EQ(fds.opened(), 0);
}

TEST(ReadOnceIndex, ReadsEachFileOnce) {
    TempWorkDir dir;
    dir.write("k.dat", records({123}, 1));
    ReadOnceIndex index;
    EXPECT_EQ(answerOf("09012305678", index), QStringLiteral(u"carrier ＮＴＴドコモ"));
    EXPECT_EQ(answerOf("09000505678", index), QStringLiteral(u"carrier 不明"));
    // Later changes are not seen: the answers of one run come from one reading.
    dir.write("k.dat", records({123, 5}, 3));
    EXPECT_EQ(answerOf("09012305678", index), QStringLiteral(u"carrier ＮＴＴドコモ"));
    EXPECT_EQ(answerOf("09000505678", index), QStringLiteral(u"carrier 不明"));
    ASSERT_TRUE(QFile::remove(QDir(dir.path()).filePath("k.dat")));
    EXPECT_EQ(answerOf("09012315678", index), QStringLiteral(u"carrier ａｕ"));
    // A file missing at its first use stays missing for the run, with the same error each time.
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(answerOf("07000115678", index), "error 53 p.dat");
    // Asking another file in between forgets nothing.
    EXPECT_EQ(answerOf("09012305678", index), QStringLiteral(u"carrier ＮＴＴドコモ"));
}

// A block that comes early is answered without reading the rest of a large file; later numbers
// read on from there.
TEST(ReadOnceIndex, ReadsNoFurtherThanItMust) {
    if (zunova::testing::bytesReadSoFar() < 0)
        GTEST_SKIP() << "/proc/self/io is not available";
    TempWorkDir dir;
    QByteArray many;
    for (int i = 0; i < 200'000; ++i) // 5 MB of a block nobody asks for
        many += records({998});
    dir.write("k.dat", records({123}) + many + records({5}));
    ReadOnceIndex index;
    const long long before = zunova::testing::bytesReadSoFar();
    EXPECT_EQ(answerOf("09012305678", index), QStringLiteral(u"carrier ＮＴＴドコモ"));
    EXPECT_LT(zunova::testing::bytesReadSoFar() - before, 256 * 1024);
    EXPECT_EQ(answerOf("09000505678", index), QStringLiteral(u"carrier ＮＴＴドコモ"));
    EXPECT_EQ(answerOf("09012305678", index), QStringLiteral(u"carrier ＮＴＴドコモ"));
}

} // namespace
