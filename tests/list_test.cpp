// Lists: what a list's bytes are read as, and that writing the carrier back keeps every other
// byte of every row.
#include "list/listfile.h"
#include "list/messages.h"
#include "resources/catalogue.h"
#include "support/tempworkdir.h"
#include "textlist/textlist.h"

#include <algorithm>
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <vector>

using namespace zunova::list;
using namespace zunova::textlist;

namespace {

QByteArray shiftJis(const QString& text) {
    return Codec(Encoding::ShiftJis).encode(text);
}

QByteArray utf16(const QString& text, Encoding encoding) {
    QStringEncoder encoder(encoding == Encoding::Utf16LE ? QStringConverter::Utf16LE
                                                         : QStringConverter::Utf16BE);
    return byteOrderMark(encoding).toByteArray() + QByteArray(encoder.encode(text));
}

const QString kNames = QStringLiteral(u"氏名,電話\r\n田中,090-1234-5678\r\n佐藤,070-1220-5678\r\n");

struct FormatCase {
    const char* name;
    QByteArray data;
    std::optional<Encoding> given = std::nullopt;
    ColumnChoice column = {};
    // What is found: the problem, or the format.
    Problem problem = Problem::None;
    Encoding encoding = Encoding::Utf8;
    EncodingDoubt doubt = EncodingDoubt::None;
    char delimiter = ',';
    int numberColumn = 1;
    bool header = true;
    qint64 headerRow = 0; // among the rows that are not blank
};

std::vector<FormatCase> formatCases() {
    const QByteArray sjis = shiftJis(kNames);
    return {
        // Encodings: a byte-order mark decides; else valid UTF-8, else Shift_JIS; ASCII alone
        // leaves the carrier names' encoding in doubt.
        {"UTF-8", kNames.toUtf8()},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + kNames.toUtf8()},
        {"Shift_JIS", sjis, {}, {}, Problem::None, Encoding::ShiftJis},
        {"UTF-16LE with BOM",
         utf16(kNames, Encoding::Utf16LE),
         {},
         {},
         Problem::None,
         Encoding::Utf16LE},
        {"UTF-16BE with BOM",
         utf16(kNames, Encoding::Utf16BE),
         {},
         {},
         Problem::None,
         Encoding::Utf16BE},
        {"ASCII only",
         "09012345678\n07012205678\n",
         {},
         {},
         Problem::None,
         Encoding::Utf8,
         EncodingDoubt::AsciiOnly,
         0,
         0,
         false},
        {"neither UTF-8 nor Shift_JIS",
         sjis + "\xFF\xFF,09012345678\r\n",
         {},
         {},
         Problem::None,
         Encoding::ShiftJis,
         EncodingDoubt::InvalidBytes},
        {"Shift_JIS given", sjis, Encoding::ShiftJis, {}, Problem::None, Encoding::ShiftJis},
        {"UTF-16 without its mark, given",
         utf16(kNames, Encoding::Utf16LE).mid(2),
         Encoding::Utf16LE,
         {},
         Problem::None,
         Encoding::Utf16LE},
        {"odd UTF-16", utf16(kNames, Encoding::Utf16LE) + "x", {}, {}, Problem::NotUtf16},
        {"lone surrogate",
         utf16(QStringLiteral("0901234567\n") + QChar(0xD800), Encoding::Utf16LE),
         {},
         {},
         Problem::NotUtf16},
        {"binary",
         QByteArray("\x7f"
                    "ELF\x02\x01\x01\0\0\0",
                    10),
         {},
         {},
         Problem::Binary},
        {"empty", "", {}, {}, Problem::Empty},
        {"blank lines only", " \r\n\t\n", {}, {}, Problem::Empty},
        // Delimiters, quoting, the number column and the header.
        {"tabs",
         "a\t09012345678\nb\t07012205678\n",
         {},
         {},
         Problem::None,
         Encoding::Utf8,
         EncodingDoubt::AsciiOnly,
         '\t',
         1,
         false},
        {"semicolons",
         "tel;a;b\n090 1234 5678;x;y\n",
         {},
         {},
         Problem::None,
         Encoding::Utf8,
         EncodingDoubt::AsciiOnly,
         ';',
         0,
         true},
        {"quoted line break and delimiter",
         "\"x\r\ny, z\",\"09012345678\"\r\n\"w\",\"07012205678\"\r\n",
         {},
         {},
         Problem::None,
         Encoding::Utf8,
         EncodingDoubt::AsciiOnly,
         ',',
         1,
         false},
        {"one quoted column",
         "\"09012345678\"\n\"07012205678\"\n",
         {},
         {},
         Problem::None,
         Encoding::Utf8,
         EncodingDoubt::AsciiOnly,
         ',',
         0,
         false},
        {"one number a line, written",
         "tel\n090-1234-5678\n(070) 1220 5678\n",
         {},
         {},
         Problem::None,
         Encoding::Utf8,
         EncodingDoubt::AsciiOnly,
         0,
         0,
         true},
        {"the column most rows have a number in; its first row has none: a header",
         "09012345678,id\n1,09012345678\n2,07012205678\n",
         {},
         {},
         Problem::None,
         Encoding::Utf8,
         EncodingDoubt::AsciiOnly,
         ',',
         1,
         true},
        {"uneven rows",
         "a,b,09012345678\nc,07012205678\nd,e,09012345678,f\ng,h,07012205678\n",
         {},
         {},
         Problem::None,
         Encoding::Utf8,
         EncodingDoubt::AsciiOnly,
         ',',
         2,
         false},
        {"a landline column before a mobile one",
         "tel,mobile\n03-1234-5678,090-1234-5678\n06-1234-5678,9012305678\n",
         {},
         {},
         Problem::None,
         Encoding::Utf8,
         EncodingDoubt::AsciiOnly,
         ',',
         1,
         true},
        {"a header naming 携帯 breaks a tie",
         QStringLiteral(u"電話,携帯番号\n09012345678,09012305678\n").toUtf8(),
         {},
         {},
         Problem::None,
         Encoding::Utf8,
         EncodingDoubt::None,
         ',',
         1,
         true},
        // Lists as offices lay them out.
        {"a title and a date above the header",
         QStringLiteral(u"顧客一覧\r\n2024年4月1日現在\r\n\r\n氏名,携帯\r\n田中,090-1234-5678\r\n"
                        u"佐藤,070-1220-5678\r\n")
             .toUtf8(),
         {},
         {},
         Problem::None,
         Encoding::Utf8,
         EncodingDoubt::None,
         ',',
         1,
         true,
         2},
        {"a megabyte of blank lines first", QByteArray("\r\n").repeated(600'000) + kNames.toUtf8()},
        {"the person's own mobile over an emergency contact's with more numbers",
         QStringLiteral(
             u"本人携帯,緊急連絡先\n09012345678,09012345678\n,07012205678\n,09012345678\n")
             .toUtf8(),
         {},
         {},
         Problem::None,
         Encoding::Utf8,
         EncodingDoubt::None,
         ',',
         0},
        {"message IDs full of digits are no numbers",
         "id,to\nSMa09012345671f,819012345678\nSMa09012345672f,\nSMa09012345673f,09012345678\n",
         {},
         {},
         Problem::None,
         Encoding::Utf8,
         EncodingDoubt::AsciiOnly},
        {"a NUL byte in a row",
         QByteArray("tel\n" + QByteArray("09012345678\n").repeated(10) + "0701220@5678\n")
             .replace('@', '\0'),
         {},
         {},
         Problem::None,
         Encoding::Utf8,
         EncodingDoubt::AsciiOnly,
         0,
         0},
        {"a header row alone", "name,tel\n", {}, {}, Problem::HeaderOnly},
        {"no number anywhere", "a,b\nc,d\n", {}, {}, Problem::NoNumberColumn},
        {"column by position",
         kNames.toUtf8(),
         {},
         {0, {}},
         Problem::None,
         Encoding::Utf8,
         EncodingDoubt::None,
         ',',
         0,
         true},
        {"column by name", kNames.toUtf8(), {}, {-1, QStringLiteral(u"電話")}},
        {"no column of that name",
         kNames.toUtf8(),
         {},
         {-1, QStringLiteral("x")},
         Problem::NoSuchColumn},
        {"no row that long", kNames.toUtf8(), {}, {7, {}}, Problem::NoSuchColumn},
    };
}

TEST(ListFormat, EncodingsDelimitersColumnsAndHeaders) {
    for (const FormatCase& c : formatCases()) {
        SCOPED_TRACE(c.name);
        const Detection found = detect(c.data, true, c.given, c.column);
        ASSERT_EQ(found.outcome.problem, c.problem);
        if (c.problem != Problem::None)
            continue;
        EXPECT_EQ(found.format.encoding, c.encoding);
        EXPECT_EQ(found.format.doubt, c.doubt);
        EXPECT_EQ(found.format.delimiter, c.delimiter);
        EXPECT_EQ(found.format.layout.numberColumn, c.numberColumn);
        EXPECT_EQ(found.format.layout.hasHeader(), c.header);
        if (c.header) {
            EXPECT_EQ(found.format.layout.headerRow, c.headerRow);
        }
        EXPECT_EQ(found.format.byteOrderMark, encodingOfByteOrderMark(c.data) == c.encoding);
    }
}

// Answers every number: code 1 for any block.
class EveryBlock : public zunova::lookup::RecordSource {
public:
    std::optional<qint16> codeOf(const QString&, int, int) override { return 1; }
};

// Reads the list, adds the carrier, writes it; then takes out what was added and expects the
// original bytes.
TEST(ListDocument, WritesEveryRowBackWithOnlyTheCarrierAdded) {
    std::vector<std::pair<const char*, QByteArray>> lists;
    for (const FormatCase& c : formatCases())
        if (c.problem == Problem::None && !c.given && c.column.position < 0)
            lists.emplace_back(c.name, c.data);
    lists.emplace_back("no final line end, lone CR, blank line",
                       "09012345678\r07012205678\n\n \n09012345678");
    lists.emplace_back("unclosed quote at the end", "a,09012345678\nb,\"07012205678\n\nc");
    lists.emplace_back("a quoted line break, no line end at the end",
                       "a,\"09012345678\"\nb,\"x\ny\",07012205678");
    lists.emplace_back("Shift_JIS trail bytes like \\ and |",
                       shiftJis(QStringLiteral(u"表,能,09012345678\n｜ソ,ー,07012205678\n")));
    EveryBlock records;
    for (const auto& [name, data] : lists) {
        SCOPED_TRACE(name);
        Progress progress;
        auto read = readTextList(data, {}, records, progress);
        ASSERT_TRUE(std::holds_alternative<TextList>(read));
        const ListDocument& list = std::get<TextList>(read).document;
        const Format& format = std::get<TextList>(read).format;
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        ASSERT_TRUE(list.write(out, progress).ok());
        QByteArray written = out.data();
        QByteArray original = data;
        ASSERT_TRUE(written.startsWith(byteOrderMark(format.encoding)) || !format.byteOrderMark);
        written.remove(0, format.dataStart());
        original.remove(0, format.dataStart());
        if (format.isUtf16()) {
            QByteArray utf8;
            ASSERT_TRUE(Utf16Reader(format.encoding).read(written, true, utf8));
            written = utf8;
            utf8.clear();
            ASSERT_TRUE(Utf16Reader(format.encoding).read(original, true, utf8));
            original = utf8;
        }
        // Each row: its content, the delimiters and the carrier added, its line end.
        QByteArray kept;
        qsizetype at = 0;
        int carriers = 0;
        int widest = 0;
        // The line each byte starts on, counted once: a list may hold a million rows.
        std::vector<int> lineAt(original.size() + 1, 1);
        for (qsizetype p = 0; p < original.size(); ++p) {
            const bool breaks =
                original[p] == '\r' || (original[p] == '\n' && (p == 0 || original[p - 1] != '\r'));
            lineAt[p + 1] = lineAt[p] + (breaks ? 1 : 0);
        }
        const auto& rows = list.rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const ListDocument::Row& row = rows[i];
            const qsizetype end = i + 1 < rows.size() ? rows[i + 1].place : original.size();
            const QByteArray whole = original.sliced(row.place, end - row.place);
            const QByteArray content = whole.chopped(row.lineEndSize);
            const QByteArray lineEnd = whole.last(row.lineEndSize);
            ASSERT_TRUE(lineEnd.isEmpty() || lineEnd == "\n" || lineEnd == "\r" ||
                        lineEnd == "\r\n");
            ASSERT_EQ(written.sliced(at, content.size()), content);
            at += content.size();
            widest = std::max(widest, int(row.fields));
            EXPECT_EQ(row.line, lineAt[row.place]);
            const qsizetype added =
                lineEnd.isEmpty() ? written.size() : written.indexOf(lineEnd, at);
            ASSERT_GE(added, at);
            const QString field = Codec(format.encoding).decode(written.mid(at, added - at));
            // A blank line, a title above the header and what a quote that never closes took
            // in get nothing.
            if (row.kind != RowKind::Blank && row.kind != RowKind::Unclosed &&
                row.kind != RowKind::Above) {
                ASSERT_TRUE(field.startsWith(QChar(format.outputDelimiter())))
                    << field.toStdString();
                carriers += field.contains(QStringLiteral(u"ＮＴＴドコモ")) ? 1 : 0;
            } else {
                EXPECT_EQ(field, QString());
            }
            kept += whole;
            at = added + lineEnd.size();
        }
        EXPECT_EQ(at, written.size());
        EXPECT_EQ(kept, original);
        EXPECT_GT(carriers, 0);
        EXPECT_EQ(list.widest(), widest); // the table's columns
    }
}

// A Shift_JIS list is written in Shift_JIS only: a character it lacks becomes 〓, whole.
TEST(Codec, WritesOnlyTheListsEncoding) {
    const std::vector<std::pair<QString, QByteArray>> cases{
        {QStringLiteral(u"ａｕ"), "\x82\x81\x82\x95"},
        {QStringLiteral(u"a😀b"), "a\x81\xac"
                                 "b"},
        {QStringLiteral(u"é〓"), "\x81\xac\x81\xac"},
    };
    Codec codec(Encoding::ShiftJis);
    for (const auto& [text, bytes] : cases)
        EXPECT_EQ(codec.encode(text), bytes) << text.toStdString();
}

// A file that grows or is cut while it is read is said to have changed, whoever reads it.
TEST(ListInput, SaysWhenAFileChangesWhileRead) {
    const std::vector<std::pair<const char*, QByteArray>> cases{
        {"left alone", {}},
        {"grown", "09012345678\n"},
        {"cut", "cut"},
    };
    for (const auto& [name, change] : cases) {
        SCOPED_TRACE(name);
        zunova::testing::TempWorkDir dir;
        dir.write("list.csv", QByteArray("09012345678\n").repeated(1000));
        ListInput input(QStringLiteral("list.csv"), false);
        ASSERT_EQ(input.opened().problem, Problem::None);
        QByteArray data;
        ASSERT_GT(input.read(data, 100), 0);
        QFile file(QDir(dir.path()).filePath(QStringLiteral("list.csv")));
        if (change == "cut") {
            ASSERT_TRUE(file.resize(50));
        } else if (!change.isEmpty()) {
            ASSERT_TRUE(file.open(QIODevice::Append) && file.write(change) == change.size());
        }
        file.close();
        while (input.read(data, 4096) > 0) {
        }
        EXPECT_EQ(input.outcome().problem, change.isEmpty() ? Problem::None : Problem::Changed);
    }
}

// A file whose first MiB is ASCII alone is read ahead for the first text that is not, but not
// past a byte no text holds (a sparse file's hole is NULs), nor past the look-ahead's limit.
TEST(ListFormat, ReadAheadForTheEncodingStopsWhereTheTextDoes) {
    const QByteArray ascii = QByteArray("09012345678\n").repeated(kSampleBytes / 12 + 1);
    const QByteArray later = shiftJis(QStringLiteral(u"田中,09012345678\n"));
    const struct {
        const char* name;
        QByteArray after;
        Encoding encoding;
        EncodingDoubt doubt;
        bool whole; // read ahead to its end, all ASCII
    } cases[] = {
        {"Shift_JIS after it", later, Encoding::ShiftJis, EncodingDoubt::None, false},
        {"ASCII to the end", "09012345678\n", Encoding::Utf8, EncodingDoubt::AsciiOnly, true},
        {"a NUL before the Shift_JIS", '\0' + later, Encoding::Utf8, EncodingDoubt::AsciiOnly,
         false},
        {"the Shift_JIS past the limit", QByteArray(kReadAheadBytes, '\n') + later, Encoding::Utf8,
         EncodingDoubt::AsciiOnly, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        zunova::testing::TempWorkDir dir;
        dir.write("list.csv", ascii + c.after);
        ListInput input(QStringLiteral("list.csv"), true);
        Format format = detect(ascii.first(kSampleBytes), false).format;
        ASSERT_EQ(format.doubt, EncodingDoubt::AsciiOnly);
        EXPECT_EQ(readAheadForTheEncoding(input, format), c.whole);
        EXPECT_EQ(format.encoding, c.encoding);
        EXPECT_EQ(format.doubt, c.doubt);
    }
}

TEST(ListFormat, SeveralNumbersMakeAList) {
    EXPECT_TRUE(holdsSeveralNumbers(QStringLiteral("090-1234-5678\r\n07012205678")));
    EXPECT_TRUE(holdsSeveralNumbers(QStringLiteral("a,\"09012345678\"\nb\t07012205678\n")));
    EXPECT_FALSE(holdsSeveralNumbers(QStringLiteral("090-1234-5678\n")));
    EXPECT_FALSE(holdsSeveralNumbers(QStringLiteral("09012345678 07012205678")));
    EXPECT_FALSE(holdsSeveralNumbers(QStringLiteral("0901234\n0701220\n")));
}

} // namespace

namespace {

// Every problem is said, on both fronts, in English and in the Japanese the window shows.
TEST(Messages, EveryProblemHasItsWords) {
    int argc = 1;
    char name[] = "list_test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    std::vector<std::pair<Outcome, Front>> said;
    for (int value = 1; value < kProblems; ++value)
        for (const Front front : {Front::CommandLine, Front::Window})
            said.push_back({{.problem = Problem(value),
                             .lines = 2,
                             .systemError = ENOENT,
                             .asked = QStringLiteral("x"),
                             .encoding = QStringLiteral("UTF-8"),
                             .readsAs = QStringLiteral("Shift_JIS"),
                             .reason = QStringLiteral("not found")},
                            front});
    QStringList english;
    for (const auto& [outcome, front] : said)
        english << problemText(outcome, front);
    zunova::catalogue::installJapanese();
    for (std::size_t i = 0; i < said.size(); ++i) {
        SCOPED_TRACE(int(said[i].first.problem));
        const QString japanese = problemText(said[i].first, said[i].second);
        EXPECT_FALSE(english[qsizetype(i)].isEmpty());
        EXPECT_NE(japanese, english[qsizetype(i)]) << japanese.toStdString();
        EXPECT_FALSE(english[qsizetype(i)].contains(u'%') || japanese.contains(u'%'))
            << "an argument left out: " << japanese.toStdString();
    }
}

} // namespace
