#include "lookup/carrierlookup.h"
#include "lookup/windowops.h"
#include "runtime/runtimeerror.h"
#include "support/recordingwindow.h"
#include "support/tempworkdir.h"

#include <QDir>
#include <QStringList>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using zunova::lookup::CarrierLookup;
using zunova::runtime::RuntimeError;
using zunova::testing::RecordingWindow;
using zunova::testing::TempWorkDir;

namespace {

const QString kLength = QStringLiteral(u"warn:１１桁で入力してください。");
const QString kNotMobile = QStringLiteral(u"warn:移動電話の番号ではありません。");

// Blocks used below: k.dat names every cellular code across block 123 and uses unnamed codes in
// block 500; p.dat does the same for PHS. Block 777 has no record in either.
const QByteArray kK = "123,1,1,2,2,3,3,4,4,9,9\r\n"
                      "500,0,5,6,7,8,-1,32767,-32768,10,4\r\n"
                      "123,9,9,9,9,9,9,9,9,9,9\r\n";
const QByteArray kP = "123,1,1,2,2,3,3,9,9,4,0\r\n";

struct QueryCase {
    QString text;
    QStringList log; // every window operation in order
    QString label4;  // the result label afterwards
};

TEST(Chousa, QueriesThroughTheWindowOperations) {
    TempWorkDir dir;
    dir.write("k.dat", kK);
    dir.write("p.dat", kP);
    const std::vector<QueryCase> cases{
        // Refusals: the length warning leaves everything; the prefix warning then clears both.
        {"", {kLength}, "before"},
        {"0901234567", {kLength}, "before"},
        {QStringLiteral(u"０９０１２３４５６７８"), {kNotMobile, "Text1=", "Label4="}, ""},
        {"08012345678", {kNotMobile, "Text1=", "Label4="}, ""},
        {"19012345678", {kNotMobile, "Text1=", "Label4="}, ""},
        {"09112345678", {kNotMobile, "Text1=", "Label4="}, ""},
        {QStringLiteral(u"0９0１２３４５６７８"), {kNotMobile, "Text1=", "Label4="}, ""},
        // 090 reads k.dat: block 123, seventh digit picks the code.
        {"09012305678", {QStringLiteral(u"Label4=ＮＴＴドコモ")}, QStringLiteral(u"ＮＴＴドコモ")},
        {"09012325678", {QStringLiteral(u"Label4=ａｕ")}, QStringLiteral(u"ａｕ")},
        {"09012345678", {"Label4=J-Phone"}, "J-Phone"},
        {"09012365678", {"Label4=TuKa"}, "TuKa"},
        {"09012395678", {QStringLiteral(u"Label4=不明")}, QStringLiteral(u"不明")},
        // Positions 8 to 11 are never looked at; full-width digits in 4 to 7 still convert.
        {"0901234ABCD", {"Label4=J-Phone"}, "J-Phone"},
        {QStringLiteral(u"090１２３４😀😀"), {"Label4=J-Phone"}, "J-Phone"},
        // 070 reads p.dat, where code 1 has another name.
        {"07012305678", {QStringLiteral(u"Label4=ドコモ")}, QStringLiteral(u"ドコモ")},
        {"07012325678", {QStringLiteral(u"Label4=ＤＤＩ")}, QStringLiteral(u"ＤＤＩ")},
        {"07012345678", {QStringLiteral(u"Label4=アステル")}, QStringLiteral(u"アステル")},
        {"07012365678", {QStringLiteral(u"Label4=不明")}, QStringLiteral(u"不明")},
        // Codes without a name and blocks without a record say "不明", never the old carrier.
        {"07012385678", {QStringLiteral(u"Label4=不明")}, QStringLiteral(u"不明")},
        {"07012395678", {QStringLiteral(u"Label4=不明")}, QStringLiteral(u"不明")},
        {"09050005678", {QStringLiteral(u"Label4=不明")}, QStringLiteral(u"不明")},
        {"09050015678", {QStringLiteral(u"Label4=不明")}, QStringLiteral(u"不明")},
        {"09050085678", {QStringLiteral(u"Label4=不明")}, QStringLiteral(u"不明")},
        {"09077705678", {QStringLiteral(u"Label4=不明")}, QStringLiteral(u"不明")},
        {"07077705678", {QStringLiteral(u"Label4=不明")}, QStringLiteral(u"不明")},
    };
    for (const QueryCase& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        RecordingWindow window(c.text);
        CarrierLookup lookup(window);
        lookup.Chousa();
        EXPECT_EQ(window.log, c.log);
        EXPECT_EQ(window.label4, c.label4);
        if (!c.log.contains("Text1=")) {
            EXPECT_EQ(window.text1, c.text) << "the number stays for correcting";
        }
    }
}

TEST(Hanbetsu, FindsTheFirstRecordOfTheBlock) {
    TempWorkDir dir;
    dir.write("k.dat", kK);
    EXPECT_EQ(CarrierLookup::Hanbetsu("09012345678", "k.dat"), 3);
    // The duplicate 123 record (all 9) is never consulted.
    EXPECT_EQ(CarrierLookup::Hanbetsu("09012305678", "k.dat"), 1);
    EXPECT_EQ(CarrierLookup::Hanbetsu("09050065678", "k.dat"), 32767);
    EXPECT_EQ(CarrierLookup::Hanbetsu("09050075678", "k.dat"), -32768);
    EXPECT_EQ(CarrierLookup::Hanbetsu("09077705678", "k.dat"), std::nullopt);
    // Keys compare as numbers: "012" in the number is key 12, however the file writes it.
    dir.write("p.dat", "0012,1,2,3,4,5,6,7,8,9,0\n");
    EXPECT_EQ(CarrierLookup::Hanbetsu("07001285678", "p.dat"), 9);
    dir.write("p.dat", "");
    EXPECT_EQ(CarrierLookup::Hanbetsu("07001285678", "p.dat"), std::nullopt);
    // A record split over two lines reads as one.
    dir.write("p.dat", "123,1,1,1,1,1\r\n2,2,2,2,3\r\n");
    EXPECT_EQ(CarrierLookup::Hanbetsu("07012395678", "p.dat"), 3);
}

TEST(Hanbetsu, StopsAtTheMatchingRecord) {
    // Garbage after the record that matches is never read.
    TempWorkDir dir;
    dir.write("k.dat", "123,1,1,2,2,3,3,4,4,9,9\r\nnot data at all");
    EXPECT_EQ(CarrierLookup::Hanbetsu("09012345678", "k.dat"), 3);
}

struct ErrorCase {
    const char* name;
    QString number;
    std::optional<QByteArray> kdat; // nothing: no k.dat at all
    int error;
    QString file;
    int line;
};

TEST(Chousa, RunTimeErrorsReachTheCallerAndCloseTheFile) {
    const std::vector<ErrorCase> cases{
        {"letter in position 5", "0901A345678", kK, 13, "", 0},
        // Positions 4 to 7 name a block only when all are digits, whatever else would convert.
        {"space in the block", "070 1220 56", kK, 13, "", 0},
        {"sign in the block", "090+1245678", kK, 13, "", 0},
        {"exponent in the block", "0909e95678X", kK, 13, "", 0},
        {"point in the block", "0901.245678", kK, 13, "", 0},
        {"hexadecimal block", "090&H15678X", kK, 13, "", 0},
        {"letter in position 7", "090123X5678", kK, 13, "", 0},
        {"full stop in position 7", "090123.5678", kK, 13, "", 0},
        {"missing file", "09012345678", std::nullopt, 53, "k.dat", 0},
        {"truncated record", "09077705678", QByteArray("123,1,1,2,2,3,3,4,4,9,9\r\n1,2,3\r\n"), 62,
         "k.dat", 2},
        {"value beyond 16 bits", "09077705678",
         QByteArray("1,2,3,4,5,6,7,8,9,10,11\r\n1,2,99999\r\n"), 6, "k.dat", 2},
        {"not a number", "09077705678", QByteArray("1,2,3,4,5,6,7,8,9,10,eleven\r\n"), 13, "k.dat",
         1},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempWorkDir dir;
        if (c.kdat)
            dir.write("k.dat", *c.kdat);
        const zunova::testing::DescriptorCount fds;
        RecordingWindow window(c.number);
        CarrierLookup lookup(window);
        try {
            lookup.Chousa();
            ADD_FAILURE() << "no run-time error";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(static_cast<int>(e.number()), c.error);
            EXPECT_EQ(e.file(), c.file);
            EXPECT_EQ(e.line(), c.line);
        }
        EXPECT_TRUE(window.log.isEmpty()) << window.log.join('|').toStdString();
        EXPECT_EQ(fds.opened(), 0);
    }
}

TEST(Chousa, MissingPhsFileLeavesCellularWorking) {
    TempWorkDir dir;
    dir.write("k.dat", kK);
    RecordingWindow phs("07012345678");
    EXPECT_THROW(CarrierLookup(phs).Chousa(), RuntimeError);
    RecordingWindow cellular("09012345678");
    CarrierLookup(cellular).Chousa();
    EXPECT_EQ(cellular.label4, "J-Phone");
}

TEST(Hanbetsu, NoDescriptorLeftOpenAfterManyLookups) {
    TempWorkDir dir;
    dir.write("k.dat", kK);
    dir.write("p.dat", "123,1,2\r\n");                // truncated record
    dir.write("m.dat", "1,2,3,4,5,6,7,8,9,10,x\r\n"); // malformed field
    struct Kind {
        const char* number;
        const char* file;
    };
    const Kind kinds[] = {
        {"09012345678", "k.dat"}, // found
        {"09077705678", "k.dat"}, // not found
        {"07012345678", "p.dat"}, // truncated: 62
        {"09012345678", "x.dat"}, // missing: 53
        {"09012345678", "m.dat"}, // malformed: 13
    };
    const zunova::testing::DescriptorCount fds;
    int found = 0;
    int notFound = 0;
    int errors = 0;
    for (int i = 0; i < 10'000; ++i) {
        const Kind& k = kinds[i % 5];
        try {
            (CarrierLookup::Hanbetsu(k.number, k.file) ? found : notFound)++;
        } catch (const RuntimeError&) {
            ++errors;
        }
    }
    EXPECT_EQ(found, 2000);
    EXPECT_EQ(notFound, 2000);
    EXPECT_EQ(errors, 6000);
    EXPECT_EQ(fds.opened(), 0);
}

} // namespace
