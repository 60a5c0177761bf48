// Workbooks: cells read as the spreadsheet shows them, the package kept whole when a column is
// added, and bad input refused with its reason. Workbooks are built here from parts as Excel
// writes them.
#include "support/workbookparts.h"
#include "textlist/textlist.h"
#include "workbook/sheetlist.h"

#include <QBuffer>
#include <QStringEncoder>
#include <QtEndian>

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace zunova::workbook;
using zunova::list::Problem;

namespace {

using zunova::testing::kMain;
using zunova::testing::kRelationships;
using zunova::testing::Parts;
using zunova::testing::partsOf;
using zunova::testing::relationships;
using zunova::testing::zipOf;

QByteArray sheetXml(const QByteArray& rows, const QByteArray& after = {}) {
    return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
           "\r\n<worksheet " +
           kMain + " xmlns:r=\"" + kRelationships + "\"><dimension ref=\"A1:B3\"/>" +
           "<sheetViews><sheetView workbookViewId=\"0\"/></sheetViews>" +
           "<cols><col min=\"1\" max=\"2\" width=\"14.5\" customWidth=\"1\"/></cols><sheetData>" +
           rows + "</sheetData>" + after + "</worksheet>";
}

const QByteArray kSharedStrings =
    "<sst " + kMain + " count=\"3\" uniqueCount=\"3\"><si><t>田中</t></si>" +
    "<si><r><t>佐</t></r><r><rPr><b/></rPr><t>藤</t></r><rPh sb=\"0\" eb=\"2\"><t>サトウ</t>"
    "</rPh><phoneticPr fontId=\"1\"/></si><si><t xml:space=\"preserve\">a_x000D_\nb</t></si></sst>";

// Cell styles 0 to 5: General, built-in date 14, custom date, a colour, time 21, a quoted d.
const QByteArray kStyles =
    "<styleSheet " + kMain +
    "><numFmts count=\"3\"><numFmt numFmtId=\"164\" formatCode=\"yyyy/mm/dd\"/>"
    "<numFmt numFmtId=\"165\" formatCode=\"[Red]0.00\"/><numFmt "
    "numFmtId=\"166\" formatCode=\"&quot;d&quot;0\"/></numFmts>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"14\"/></cellStyleXfs><cellXfs>"
    "<xf numFmtId=\"0\"/><xf numFmtId=\"14\" applyNumberFormat=\"1\"/>"
    "<xf numFmtId=\"164\"/><xf numFmtId=\"165\"/><xf numFmtId=\"21\"/>"
    "<xf numFmtId=\"166\"/></cellXfs></styleSheet>";

// The workbook's sheets with the shared strings and styles above.
Parts workbookParts(const std::vector<std::pair<QByteArray, QByteArray>>& sheets,
                    const QByteArray& workbookPr = "<workbookPr/>") {
    return zunova::testing::workbookParts(sheets, kSharedStrings, kStyles, workbookPr);
}

QByteArray workbookOf(const QByteArray& rows) {
    return zipOf(workbookParts({{"Sheet1", sheetXml(rows)}}));
}

// A sheet's cells as text: a line a row, its cells separated by tabs, each quoted where it holds
// a tab, a quote or a line break.
struct SheetText {
    Problem problem = Problem::None;
    QByteArray text;
    qint64 rows = 0;
    int lastColumn = 0;
    QString part; // where a problem lies
};

SheetText textOf(const SheetCells& cells) {
    SheetText text{cells.outcome.problem, {}, cells.rows(), cells.lastColumn, cells.outcome.part};
    for (qint64 row = 1; row <= cells.rows(); ++row) {
        const zunova::list::CellsView view = cells.row(row);
        for (qsizetype i = 0; i < view.size(); ++i) {
            const QByteArrayView cell = view[i];
            const bool quoted = std::any_of(cell.begin(), cell.end(), [](char c) {
                return c == '\t' || c == '"' || c == '\r' || c == '\n';
            });
            text.text +=
                QByteArray(i > 0 ? "\t" : "") +
                (quoted ? '"' + cell.toByteArray().replace('"', "\"\"") + '"' : cell.toByteArray());
        }
        text.text += '\n';
    }
    return text;
}

SheetText textOf(const QByteArray& data, int sheet = 0) {
    const auto opened = Workbook::open(data);
    if (!opened.workbook)
        return {opened.outcome.problem, {}, 0, 0, opened.outcome.part};
    return textOf(opened.workbook->cells(sheet));
}

// A copy of a workbook with `added`, as the program writes it.
Problem write(const Workbook& workbook, const AddedColumns& added, QByteArray& out) {
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    return workbook.write(added, buffer).problem;
}

struct CellCase {
    const char* name;
    QByteArray cell; // in row 1, column B
    QByteArray field;
    bool date1904 = false;
};

TEST(Workbook, CellsReadAsTheSpreadsheetShowsThem) {
    const std::vector<CellCase> cases{
        {"shared string", R"(<c r="B1" t="s"><v>0</v></c>)", "田中"},
        {"rich text runs, reading left out", R"(<c r="B1" t="s"><v>1</v></c>)", "佐藤"},
        {"escaped CR, quoted", R"(<c r="B1" t="s" s="0"><v>2</v></c>)", "\"a\r\nb\""},
        {"inline string", R"(<c r="B1" t="inlineStr"><is><t>090-1234-5678</t></is></c>)",
         "090-1234-5678"},
        {"inline rich text",
         R"(<c r="B1" t="inlineStr"><is><r><t>0901</t></r><r><t>2345678</t></r></is></c>)",
         "09012345678"},
        {"tab and quote", "<c r=\"B1\" t=\"inlineStr\"><is><t>a\t\"b\"</t></is></c>",
         "\"a\t\"\"b\"\"\""},
        {"whole number", "<c r=\"B1\"><v>9012345678</v></c>", "9012345678"},
        {"whole number with exponent", "<c r=\"B1\"><v>9.012345678E9</v></c>", "9012345678"},
        {"whole number with .0", "<c r=\"B1\" t=\"n\"><v>9012345678.0</v></c>", "9012345678"},
        {"fraction as written", "<c r=\"B1\"><v>0.1</v></c>", "0.1"},
        {"too large to be whole", "<c r=\"B1\"><v>1E+300</v></c>", "1E+300"},
        {"formula's number", "<c r=\"B1\"><f>A1+1</f><v>3</v></c>", "3"},
        {"formula's text",
         R"(<c r="B1" t="str"><f>TEXT(A1,"00000000000")</f><v>09012345678</v></c>)", "09012345678"},
        {"formula never computed", "<c r=\"B1\"><f>A1</f></c>", ""},
        {"a shared string's cell without one", "<c r=\"B1\" t=\"s\" s=\"1\"/>", ""},
        {"true", "<c r=\"B1\" t=\"b\"><v>1</v></c>", "TRUE"},
        {"false", "<c r=\"B1\" t=\"b\"><v>0</v></c>", "FALSE"},
        {"error", "<c r=\"B1\" t=\"e\"><f>1/0</f><v>#DIV/0!</v></c>", "#DIV/0!"},
        {"built-in date", "<c r=\"B1\" s=\"1\"><v>45296</v></c>", "2024-01-05"},
        {"custom date", "<c r=\"B1\" s=\"2\"><v>45296</v></c>", "2024-01-05"},
        {"date and time", "<c r=\"B1\" s=\"1\"><v>45296.5</v></c>", "2024-01-05 12:00:00"},
        {"time", "<c r=\"B1\" s=\"4\"><v>0.75</v></c>", "18:00:00"},
        {"1900-01-01", "<c r=\"B1\" s=\"1\"><v>1</v></c>", "1900-01-01"},
        {"the day before Lotus's 29 February", "<c r=\"B1\" s=\"1\"><v>59</v></c>", "1900-02-28"},
        {"the day after it", "<c r=\"B1\" s=\"1\"><v>61</v></c>", "1900-03-01"},
        {"1904 dates", "<c r=\"B1\" s=\"1\"><v>43834</v></c>", "2024-01-05", true},
        {"no date past 9999", "<c r=\"B1\" s=\"1\"><v>2958466</v></c>", "2958466"},
        {"a colour is no date", "<c r=\"B1\" s=\"3\"><v>45296</v></c>", "45296"},
        {"a quoted d is no date", "<c r=\"B1\" s=\"5\"><v>45296</v></c>", "45296"},
        {"ISO date cell", "<c r=\"B1\" t=\"d\"><v>2024-01-05T00:00:00</v></c>",
         "2024-01-05T00:00:00"},
    };
    for (const CellCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray sheet = sheetXml("<row r=\"1\">" + c.cell + "</row>");
        const SheetText text = textOf(zipOf(workbookParts(
            {{"Sheet1", sheet}}, c.date1904 ? "<workbookPr date1904=\"1\"/>" : "<workbookPr/>")));
        ASSERT_EQ(text.problem, Problem::None);
        EXPECT_EQ(text.text, c.field.isEmpty() ? "\n" : "\t" + c.field + "\n");
        EXPECT_EQ(text.lastColumn, 2);
    }
}

TEST(Workbook, RowsAndColumnsKeepTheirPlaces) {
    const QByteArray a = "<is><t>a</t></is>";
    const struct {
        const char* name;
        QByteArray rows;
        QByteArray after;
        QByteArray text;
        int lastColumn;
    } cases[] = {
        {"sparse rows and cells",
         "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\">" + a + "</c><c r=\"C2\"><v>5</v></c></row>" +
             "<row r=\"4\" spans=\"2:2\"><c r=\"B4\"><v>6</v></c></row>",
         {},
         "\na\t\t5\n\n\t6\n",
         3},
        {"no r attributes",
         "<row><c t=\"inlineStr\">" + a + "</c><c><v>1</v></c></row><row><c/><c><v>2</v></c></row>",
         {},
         "a\t1\n\t2\n",
         2},
        {"empty styled cells take room, not fields",
         "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"E1\" s=\"1\"/></row><row r=\"2\"/>",
         {},
         "1\n\n",
         5},
        {"a merged range's value in its top-left cell",
         "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\">" + a + "</c><c r=\"B1\" s=\"1\"/></row>",
         "<mergeCells count=\"1\"><mergeCell ref=\"A1:D2\"/></mergeCells>", "a\n", 4},
        {"no rows", {}, {}, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SheetText text =
            textOf(zipOf(workbookParts({{"Sheet1", sheetXml(c.rows, c.after)}})));
        ASSERT_EQ(text.problem, Problem::None);
        EXPECT_EQ(text.text, c.text);
        EXPECT_EQ(text.rows, c.text.count('\n'));
        EXPECT_EQ(text.lastColumn, c.lastColumn);
    }
}

TEST(Workbook, SheetsInTheWorkbooksOrder) {
    Parts parts = workbookParts({{"名簿", sheetXml("<row r=\"1\"><c><v>1</v></c></row>")},
                                 {"予備", sheetXml("<row r=\"1\"><c><v>2</v></c></row>")}});
    // A chart sheet between them, and the second hidden.
    parts["xl/workbook.xml"].replace("<sheet name=\"予備\"",
                                     "<sheet name=\"グラフ\" sheetId=\"9\" "
                                     "r:id=\"rId9\"/><sheet state=\"hidden\" name=\"予備\"");
    parts["xl/_rels/workbook.xml.rels"].replace(
        "</Relationships>",
        "<Relationship Id=\"rId9\" Type=\"" + kRelationships +
            "/chartsheet\" Target=\"/xl/chartsheets/sheet1.xml\"/></Relationships>");
    parts["xl/chartsheets/sheet1.xml"] = "<chartsheet " + kMain + "/>";
    const auto opened = Workbook::open(zipOf(parts));
    ASSERT_TRUE(opened.workbook);
    const auto& sheets = opened.workbook->sheets();
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[0].name, QStringLiteral(u"名簿"));
    EXPECT_EQ(sheets[0].part, QStringLiteral("xl/worksheets/sheet2.xml"));
    EXPECT_FALSE(sheets[0].hidden);
    EXPECT_EQ(sheets[1].name, QStringLiteral(u"予備"));
    EXPECT_TRUE(sheets[1].hidden);
    EXPECT_EQ(textOf(opened.workbook->cells(0)).text, "1\n");
    EXPECT_EQ(textOf(opened.workbook->cells(1)).text, "2\n");
    EXPECT_EQ(textOf(opened.workbook->cells(2)).problem, Problem::NoSuchSheet);
}

const QByteArray kCarrier = QStringLiteral(u"キャリア").toUtf8();

// An inline string cell.
QByteArray inlineCell(const QByteArray& reference, const QByteArray& text,
                      const QByteArray& style = {}) {
    return "<c r=\"" + reference + '"' + (style.isEmpty() ? "" : " s=\"" + style + '"') +
           " t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
}

const QByteArray kNote = QStringLiteral(u"備考").toUtf8();

TEST(Workbook, AddedCellsAreSplicedIntoTheSheetAlone) {
    const QByteArray cell = "<c r=\"A1\" t=\"s\"><v>0</v></c>";
    // Names in row 1 (A1's style 5, B1's 6), a hidden range after them, a filter over them.
    const QByteArray header = "<row r=\"1\">" + inlineCell("A1", "n", "5") +
                              inlineCell("B1", "tel", "6") + "</row><row r=\"2\">" +
                              inlineCell("B2", "0") + "</row>";
    const QByteArray hidden =
        sheetXml(header, "<autoFilter ref=\"A1:B2\"/>")
            .replace("</cols>", "<col min=\"3\" max=\"16384\" hidden=\"1\" width=\"9\" "
                                "style=\"2\"/></cols>");
    const QByteArray headerWritten =
        QByteArray(header)
            .replace("</row><row",
                     inlineCell("C1", kCarrier, "6") + inlineCell("D1", kNote, "6") + "</row><row")
            .replace(inlineCell("B2", "0"), inlineCell("B2", "0") + inlineCell("C2", "x"));
    const QByteArray table = "<table " + kMain + " ref=\"A1:B2\"><autoFilter ref=\"A1:B2\"/>" +
                             "<tableColumns count=\"2\"><tableColumn id=\"1\" name=\"n\"/>" +
                             "<tableColumn id=\"2\" name=\"tel\"/></tableColumns></table>";
    // The filters' ranges by name, which LibreOffice takes them from: another sheet's, the sheet's.
    const QByteArray filterNames =
        "<definedNames><definedName name=\"_xlnm._FilterDatabase\" localSheetId=\"1\" "
        "hidden=\"1\">'Sheet2'!$A$1:$B$2</definedName><definedName "
        "name=\"_xlnm._FilterDatabase\" localSheetId=\"0\" hidden=\"1\">Sheet1!$A$1:$B$2"
        "</definedName></definedNames>";
    // The sheet's own carrier and note columns, B and C: each cell there gives way.
    const QByteArray own =
        sheetXml("<row r=\"1\">" + inlineCell("A1", "n") + inlineCell("B1", kCarrier, "3") +
                 inlineCell("C1", kNote, "3") + inlineCell("D1", "d") + "</row><row r=\"2\">" +
                 inlineCell("A2", "a") + inlineCell("B2", "old", "4") +
                 inlineCell("C2", "old", "4") + "</row><row r=\"3\"><c r=\"A3\"><v>1</v></c>" +
                 inlineCell("B3", "old") + "<c><v>5</v></c><c><v>6</v></c></row>");
    const struct {
        const char* name;
        QByteArray sheet;
        std::vector<QStringList> rows;
        QByteArray written; // the sheet after, or empty where the problem refuses it
        Problem problem = Problem::None;
        int firstColumn = 3;
        qint64 headerRow = 0;
        bool replaces = false;
        QByteArray table{}; // of the sheet, and after: empty where it stays as it was
        QByteArray tableWritten{};
        QByteArray names{}; // the workbook's, and after
        QByteArray namesWritten{};
    } cases[] = {
        {"spans widened, a closed row opened, a missing row made, one past the end; widths",
         sheetXml("<row r=\"1\" spans=\"1:2\">" + cell + "</row><row r=\"3\" spans=\"1:2\"/>"),
         {{QStringLiteral(u"キャリア")}, {"a&b <c>"}, {"", " x"}, {}, {"y"}},
         sheetXml("<row r=\"1\" spans=\"1:3\">" + cell + "<c r=\"C1\" t=\"inlineStr\"><is><t>" +
                  kCarrier +
                  "</t></is></c></row><row r=\"2\"><c r=\"C2\" t=\"inlineStr\"><is><t>"
                  "a&amp;b &lt;c&gt;</t></is></c></row><row r=\"3\" spans=\"1:4\"><c "
                  "r=\"D3\" t=\"inlineStr\"><is><t xml:space=\"preserve\"> x</t></is>"
                  "</c></row><row r=\"5\"><c r=\"C5\" t=\"inlineStr\"><is><t>y</t></is>"
                  "</c></row>")
             .replace("A1:B3", "A1:D5")
             .replace("</cols>",
                      "<col min=\"3\" max=\"3\" width=\"10\" customWidth=\"1\"/>"
                      "<col min=\"4\" max=\"4\" width=\"4\" customWidth=\"1\"/></cols>")},
        {"prefixed elements, no rows yet",
         "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
         "<x:dimension ref='A1'/><x:sheetData/></x:worksheet>",
         {{"a"}},
         "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
         "<x:dimension ref='A1:C1'/><x:cols><x:col min=\"3\" max=\"3\" width=\"3\" "
         "customWidth=\"1\"/></x:cols><x:sheetData><x:row r=\"1\"><x:c r=\"C1\" "
         "t=\"inlineStr\"><x:is><x:t>a</x:t></x:is></x:c></x:row></x:sheetData></x:worksheet>"},
        {.name = "a header styled as its neighbour, a hidden range split, the filter grown",
         .sheet = hidden,
         .rows = {{QStringLiteral(u"キャリア"), QStringLiteral(u"備考")}, {"x"}},
         .written =
             sheetXml(headerWritten, "<autoFilter ref=\"A1:D2\"/>")
                 .replace("A1:B3", "A1:D3")
                 .replace("</cols>", "<col min=\"3\" max=\"3\" width=\"10\" style=\"2\" "
                                     "customWidth=\"1\"/><col min=\"4\" max=\"4\" width=\"6\" "
                                     "style=\"2\" customWidth=\"1\"/><col min=\"5\" max=\"16384\" "
                                     "hidden=\"1\" width=\"9\" style=\"2\"/></cols>"),
         .headerRow = 1,
         .names = filterNames,
         .namesWritten = QByteArray(filterNames).replace("Sheet1!$A$1:$B$2", "Sheet1!$A$1:$D$2")},
        {.name = "a table over the columns before them takes them",
         .sheet = sheetXml(header),
         .rows = {{QStringLiteral(u"キャリア"), QStringLiteral(u"備考")}, {"x"}},
         .written = {},
         .headerRow = 1,
         .table = table,
         .tableWritten =
             QByteArray(table)
                 .replace("A1:B2", "A1:D2")
                 .replace("count=\"2\"", "count=\"4\"")
                 .replace("</tableColumns>", "<tableColumn id=\"3\" name=\"" + kCarrier +
                                                 "\"/><tableColumn id=\"4\" name=\"" + kNote +
                                                 "\"/></tableColumns>")},
        {.name = "a table whose header is another row stays",
         .sheet = sheetXml(header),
         .rows = {{}, {QStringLiteral(u"キャリア")}},
         .written = {},
         .headerRow = 2,
         .table = table},
        {.name = "written into the sheet's own columns: each cell's style kept, old texts gone",
         .sheet = own,
         .rows = {{QStringLiteral(u"キャリア"), QStringLiteral(u"備考")}, {"J", ""}},
         .written = QByteArray(own)
                        .replace(inlineCell("B2", "old", "4") + inlineCell("C2", "old", "4"),
                                 inlineCell("B2", "J", "4") + "<c r=\"C2\" s=\"4\"/>")
                        .replace(inlineCell("B3", "old") + "<c><v>5</v></c>", "<c r=\"C3\"/>")
                        .replace("A1:B3", "A1:C3")
                        .replace("</cols>", "<col min=\"3\" max=\"3\" width=\"6\" "
                                            "customWidth=\"1\"/></cols>"),
         .firstColumn = 2,
         .headerRow = 1,
         .replaces = true},
        {"no texts: nothing changes",
         sheetXml("<row r=\"1\">" + cell + "</row>"),
         {{""}},
         sheetXml("<row r=\"1\">" + cell + "</row>")},
        {"a cell in the way",
         sheetXml("<row r=\"1\">" + cell + "<c r=\"C1\" s=\"1\"/></row>"),
         {{"a"}},
         {},
         Problem::NoRoom},
        {"past column XFD", sheetXml({}), {QStringList(16383, "a")}, {}, Problem::NoRoom},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Parts parts = workbookParts({{"Sheet1", c.sheet}, {"Sheet2", sheetXml({})}});
        parts["xl/media/image1.png"] = QByteArray("\x89PNG\r\n\x1a\n\0\0", 10);
        parts["xl/comments1.xml"] = "<comments " + kMain + "/>";
        if (!c.table.isEmpty()) {
            parts["xl/worksheets/_rels/sheet2.xml.rels"] =
                relationships({{"table", "../tables/table1.xml"}});
            parts["xl/tables/table1.xml"] = c.table;
        }
        parts["xl/workbook.xml"].replace("</sheets>", "</sheets>" + c.names);
        const auto opened = Workbook::open(zipOf(parts));
        ASSERT_TRUE(opened.workbook);
        QByteArray out;
        AddedColumns added = AddedColumns::of(0, c.firstColumn, c.rows);
        added.setHeaderRow(c.headerRow);
        added.setReplaces(c.replaces);
        ASSERT_EQ(write(*opened.workbook, added, out), c.problem);
        if (c.problem != Problem::None)
            continue;
        Parts written = partsOf(out);
        if (!c.written.isEmpty()) {
            EXPECT_EQ(written["xl/worksheets/sheet2.xml"].toStdString(), c.written.toStdString());
        }
        EXPECT_EQ(written["xl/tables/table1.xml"].toStdString(),
                  (c.tableWritten.isEmpty() ? c.table : c.tableWritten).toStdString());
        EXPECT_EQ(written["xl/workbook.xml"].toStdString(),
                  QByteArray(parts["xl/workbook.xml"])
                      .replace(c.names, c.namesWritten.isEmpty() ? c.names : c.namesWritten)
                      .toStdString());
        for (const QString part :
             {"xl/worksheets/sheet2.xml", "xl/tables/table1.xml", "xl/workbook.xml"}) {
            written.erase(part);
            parts.erase(part);
        }
        EXPECT_EQ(written, parts);
        // What was added reads back as cells, in their columns.
        const SheetText text = textOf(out);
        ASSERT_EQ(text.problem, Problem::None);
        const QStringList lines = QString::fromUtf8(text.text).split(u'\n');
        for (std::size_t row = 0; row < c.rows.size(); ++row) {
            const QStringList cells = lines.value(qsizetype(row)).split(u'\t');
            for (int k = 0; k < added.columns(); ++k)
                EXPECT_EQ(cells.value(c.firstColumn - 1 + k), c.rows[row].value(k)) << row;
        }
    }
}

// Answers every block: the code is the column digit, so rows with other digits get other
// carriers, warnings and errors alike for a sheet and a text list.
class ColumnCodes : public zunova::lookup::RecordSource {
public:
    std::optional<qint16> codeOf(const QString&, int, int column) override {
        return qint16(column % 5);
    }
};

// A sheet's rows get exactly what the same rows get as a CSV: the same kind, carrier and note
// for each, whatever form the cells hold them in.
TEST(Workbook, RowsAnsweredAsTheSameRowsAsCsv) {
    // Each row: the CSV's line, and the sheet's cells for it.
    const std::vector<std::pair<QByteArray, QByteArray>> rows{
        {"name,tel", R"(<c t="inlineStr"><is><t>name</t></is></c><c t="s"><v>0</v></c>)"},
        {"a,090-1234-5671", R"(<c t="inlineStr"><is><t>a</t></is></c><c t="inlineStr"><is>)"
                            R"(<t>090-1234-5671</t></is></c>)"},
        {"b,9012345672", R"(<c t="inlineStr"><is><t>b</t></is></c><c><v>9012345672</v></c>)"},
        {"c,", R"(<c t="inlineStr"><is><t>c</t></is></c>)"},
        {"", ""},
        {"d,0801234567", R"(<c t="inlineStr"><is><t>d</t></is></c><c t="str"><f>A1</f>)"
                         R"(<v>0801234567</v></c>)"},
        {"e,+81 70 1234 5674", R"(<c t="inlineStr"><is><t>e</t></is></c><c t="inlineStr"><is>)"
                               R"(<r><t>+81 70 </t></r><r><t>1234 5674</t></r></is></c>)"},
        {"f,08012345678", R"(<c t="inlineStr"><is><t>f</t></is></c><c t="inlineStr"><is>)"
                          R"(<t>08012345678</t></is></c>)"},
    };
    QByteArray csv;
    QByteArray sheet;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        csv += rows[i].first + "\r\n";
        sheet +=
            "<row r=\"" + QByteArray::number(qsizetype(i) + 1) + "\">" + rows[i].second + "</row>";
    }
    const Parts parts = zunova::testing::workbookParts(
        {{"Sheet1", sheetXml(sheet)}}, "<sst " + kMain + "><si><t>tel</t></si></sst>", {});
    ColumnCodes records;
    zunova::list::Progress progress;
    auto book = readWorkbookList(zipOf(parts), {}, {}, records, progress);
    auto text = zunova::textlist::readTextList(csv, {}, records, progress);
    ASSERT_TRUE(std::holds_alternative<SheetList>(book));
    ASSERT_TRUE(std::holds_alternative<zunova::textlist::TextList>(text));
    const zunova::list::ListDocument& fromSheet = std::get<SheetList>(book).document;
    const zunova::list::ListDocument& fromText =
        std::get<zunova::textlist::TextList>(text).document;
    ASSERT_EQ(fromSheet.rows().size(), fromText.rows().size());
    for (qsizetype i = 0; i < qsizetype(rows.size()); ++i) {
        SCOPED_TRACE(rows[std::size_t(i)].first.toStdString());
        EXPECT_EQ(fromSheet.rows()[std::size_t(i)].kind, fromText.rows()[std::size_t(i)].kind);
        EXPECT_EQ(fromSheet.carrierOf(i), fromText.carrierOf(i));
        EXPECT_EQ(fromSheet.noteOf(i), fromText.noteOf(i));
        EXPECT_EQ(fromSheet.enteredNumber(i), fromText.enteredNumber(i));
    }
}

// Where no sheet is named, the customers' sheet is the tab with the most mobile numbers: a cover
// sheet giving the company's own number loses to it, a hidden sheet is never taken. Rows a merged
// number cell covers are the person's above, continued.
TEST(Workbook, TheCustomersSheetIsTheTabWithTheMostMobiles) {
    const auto cell = [](const char* text) {
        return "<c t=\"inlineStr\"><is><t>" + QByteArray(text) + "</t></is></c>";
    };
    const auto row = [](int number, const QByteArray& cells) {
        return "<row r=\"" + QByteArray::number(number) + "\">" + cells + "</row>";
    };
    const QByteArray cover = sheetXml(row(1, cell("ご案内")) + row(3, cell("090-1111-2222")));
    const QByteArray customers =
        sheetXml(row(1, cell("name") + cell("tel")) + row(2, cell("a") + cell("090-1234-5671")) +
                     row(3, cell("a") + "<c/>") + row(4, cell("b") + cell("070-1234-5674")),
                 "<mergeCells count=\"1\"><mergeCell ref=\"B2:B3\"/></mergeCells>");
    QByteArray many;
    for (int i = 1; i <= 5; ++i)
        many += row(i, cell("090-1234-5671"));
    Parts parts = workbookParts({{"表紙", cover}, {"顧客", customers}, {"控え", sheetXml(many)}});
    parts["xl/workbook.xml"].replace("<sheet name=\"控え\"",
                                     "<sheet state=\"hidden\" name=\"控え\"");
    ColumnCodes records;
    zunova::list::Progress progress;
    auto read = readWorkbookList(zipOf(parts), {}, {}, records, progress);
    ASSERT_TRUE(std::holds_alternative<SheetList>(read));
    const SheetList& list = std::get<SheetList>(read);
    EXPECT_EQ(list.sheet.sheet, 1);
    using zunova::list::RowKind;
    std::vector<RowKind> kinds;
    for (const auto& answered : list.document.rows())
        kinds.push_back(answered.kind);
    EXPECT_EQ(kinds,
              (std::vector{RowKind::Header, RowKind::Number, RowKind::Continued, RowKind::Number}));
}

// A sheet's own carrier column (and its note column) is written again, so that a copy of the
// copy is the same; the sheet's rows as text, with commas.
TEST(Workbook, ACopyOfTheCopyKeepsOneCarrierColumn) {
    ColumnCodes records;
    zunova::list::Progress progress;
    const auto copyOf = [&](const QByteArray& book) {
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        auto read = readWorkbookList(book, {}, {}, records, progress);
        if (const auto* list = std::get_if<SheetList>(&read)) {
            EXPECT_TRUE(writeWorkbookCopy(list->sheet, list->document, buffer).ok());
        }
        return out;
    };
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"名前,電話,キャリア,備考\na,09012315678,ａｕ,番号がありません。\nb,,J-Phone",
         u"名前,電話,キャリア,備考\na,09012315678,ＮＴＴドコモ\nb,,,番号がありません。\n"},
        {u"名前,電話,キャリア\na,09012325678\nb,,J-Phone", // room for notes after it
         u"名前,電話,キャリア,備考\na,09012325678,ａｕ\nb,,,番号がありません。\n"},
        {u"名前,電話,キャリア,住所\na,09012335678,x,東京\nb,,J-Phone,大阪", // none: carriers alone
         u"名前,電話,キャリア,住所\na,09012335678,J-Phone,東京\nb,,,大阪\n"},
    };
    for (const auto& [sheet, copy] : cases) {
        QByteArray rows;
        for (const QString& row : QString::fromUtf16(sheet).split(u'\n'))
            rows += "<row><c t=\"inlineStr\"><is><t>" +
                    row.toUtf8().replace(",", "</t></is></c><c t=\"inlineStr\"><is><t>") +
                    "</t></is></c></row>";
        const QByteArray once = copyOf(zipOf(workbookParts({{"Sheet1", sheetXml(rows)}})));
        const std::string expected = QString::fromUtf16(copy).replace(u',', u'\t').toStdString();
        EXPECT_EQ(textOf(once).text.toStdString(), expected);
        EXPECT_EQ(textOf(copyOf(once)).text.toStdString(), expected);
    }
}

// A zip entry's uncompressed size as its local header and the central directory claim it.
QByteArray withClaimedSize(QByteArray zip, const QByteArray& name, quint32 size) {
    for (const auto& [signature, sizeAt, nameAt] :
         {std::tuple{QByteArray("PK\3\4"), 22, 30}, std::tuple{QByteArray("PK\1\2"), 24, 46}}) {
        for (qsizetype at = zip.indexOf(signature); at >= 0; at = zip.indexOf(signature, at + 1)) {
            if (zip.mid(at + nameAt, name.size()) == name)
                qToLittleEndian(size, zip.data() + at + sizeAt);
        }
    }
    return zip;
}

// An OLE compound file of 512-byte sectors: the allocation table, then the directory.
QByteArray compoundFile(const QStringList& streams) {
    QByteArray file(3 * 512, '\0');
    char* header = file.data();
    memcpy(header, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    qToLittleEndian<quint16>(9, header + 0x1E);
    qToLittleEndian<quint32>(1, header + 0x2C);          // one table sector
    qToLittleEndian<quint32>(1, header + 0x30);          // the directory in sector 1
    qToLittleEndian<quint32>(0xFFFFFFFE, header + 0x44); // no more table sectors
    memset(header + 0x50, 0xFF, 512 - 0x50);             // table sector 0 at 0x4C
    qToLittleEndian<quint32>(0xFFFFFFFD, file.data() + 512);
    qToLittleEndian<quint32>(0xFFFFFFFE, file.data() + 516);
    QStringList entries{QStringLiteral("Root Entry")};
    entries += streams;
    for (qsizetype i = 0; i < entries.size() && i < 4; ++i) {
        char* entry = file.data() + 1024 + 128 * i;
        for (qsizetype u = 0; u < entries[i].size(); ++u)
            qToLittleEndian<quint16>(entries[i][u].unicode(), entry + 2 * u);
        qToLittleEndian<quint16>(quint16(2 * entries[i].size() + 2), entry + 0x40);
        entry[0x42] = i == 0 ? 5 : 2; // the root, streams
    }
    return file;
}

TEST(Workbook, BadInputIsRefusedWithItsReason) {
    const QByteArray sheet = sheetXml("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>");
    const auto with = [](Parts parts, const QString& name, const QByteArray& bytes) {
        parts[name] = bytes;
        return zipOf(parts);
    };
    const Parts book = workbookParts({{"Sheet1", sheet}});
    Parts noWorkbook = book;
    noWorkbook.erase("xl/workbook.xml");
    Parts binary = book;
    binary["_rels/.rels"] = relationships({{"officeDocument", "xl/workbook.bin"}});
    binary["xl/workbook.bin"] = "\x83\x01";
    // Entries of one name: libzip adds no such entry, so another is renamed in the zip's bytes.
    Parts twoSheets = book;
    twoSheets["xl/worksheets/sheetX.xml"] = sheetXml({});
    Parts twoWorkbooks = book;
    twoWorkbooks["XL/WORKBOOK.XML"] = "<workbook " + kMain + "/>";
    // More than a workbook has: entries, sheets, relationships.
    Parts manyEntries = book;
    for (qint64 i = 0; i < zunova::list::kMaxParts; ++i)
        manyEntries["xl/media/" + QString::number(i)] = {};
    Parts manySheets = book;
    manySheets["xl/workbook.xml"].replace(
        "<sheets>",
        "<sheets>" +
            QByteArray("<sheet name=\"a\" r:id=\"rId3\"/>").repeated(zunova::list::kMaxSheets));
    Parts manyRelationships = book;
    manyRelationships["xl/_rels/workbook.xml.rels"] =
        relationships(std::vector<std::pair<QByteArray, QByteArray>>(
            std::size_t(zunova::list::kMaxParts) + 1, {"worksheet", "worksheets/sheet1.xml"}));
    const QByteArray shiftJis =
        "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><worksheet " + kMain + "/>";
    const struct {
        const char* name;
        QByteArray data;
        Problem problem;
        QString part = {}; // where it is said to lie, where that matters
    } cases[] = {
        {"a CSV named .xlsx", "氏名,電話\r\n田中,090-1234-5678\r\n", Problem::NotZip},
        {"nothing", {}, Problem::NotZip},
        {"a zip of something else", zipOf({{"readme.txt", "hello"}}), Problem::NotWorkbook},
        {"a workbook without its workbook", zipOf(noWorkbook), Problem::NotWorkbook},
        {"a word processor's document", with(book, "xl/workbook.xml", "<document/>"),
         Problem::NotWorkbook},
        {"password-protected",
         compoundFile({QStringLiteral("EncryptionInfo"), QStringLiteral("EncryptedPackage")}),
         Problem::Encrypted},
        {"a zip with a password", zipOf(book, "secret"), Problem::Encrypted},
        {"Excel 97-2003", compoundFile({QStringLiteral("Workbook")}), Problem::BinaryWorkbook},
        {"an OLE file of another program", compoundFile({QStringLiteral("WordDocument")}),
         Problem::NotWorkbook},
        {"binary workbook in a zip", zipOf(binary), Problem::BinaryWorkbook},
        {"no worksheet", zipOf(workbookParts({})), Problem::NoSheet},
        {"broken workbook XML", with(book, "xl/workbook.xml", "<workbook><sheets>"),
         Problem::Damaged},
        {"a sheet's part missing",
         with(book, "xl/_rels/workbook.xml.rels",
              relationships({{"styles", "styles.xml"},
                             {"sharedStrings", "sharedStrings.xml"},
                             {"worksheet", "worksheets/none.xml"}})),
         Problem::Damaged},
        {"a part claiming to be huge",
         withClaimedSize(zipOf(book), "xl/worksheets/sheet1.xml", 0x20000000),
         Problem::PartTooLarge},
        {"more rows than the window takes", workbookOf("<row r=\"10000001\"/>"),
         Problem::TooManyRows},
        {"rows out of order", workbookOf("<row r=\"2\"/><row r=\"1\"/>"), Problem::Damaged},
        {"cells out of order", workbookOf("<row><c r=\"B1\"/><c r=\"A1\"/></row>"),
         Problem::Damaged},
        {"a cell past XFD", workbookOf("<row><c r=\"XFE1\"><v>1</v></c></row>"), Problem::Damaged},
        {"a shared string that is not there", workbookOf("<row><c t=\"s\"><v>3</v></c></row>"),
         Problem::Damaged},
        {"broken sheet XML", workbookOf("<row><c><v>1</c></row>"), Problem::Damaged},
        {"a document type, whose entities could make rows",
         with(book, "xl/worksheets/sheet1.xml",
              "<!DOCTYPE worksheet [<!ENTITY r \"<row><c><v>1</v></c></row>\">]><worksheet " +
                  kMain + "><sheetData>&r;</sheetData></worksheet>"),
         Problem::Damaged},
        {"more entries than a workbook has", zipOf(manyEntries), Problem::TooLargeInside},
        {"more sheets", zipOf(manySheets), Problem::TooLargeInside},
        {"more relationships", zipOf(manyRelationships), Problem::TooLargeInside,
         QStringLiteral("xl/workbook.xml")},
        // Readers differ on which of two entries of one name a package means.
        {"a sheet's entry twice", zipOf(twoSheets).replace("sheetX.xml", "sheet1.xml"),
         Problem::Damaged, QStringLiteral("xl/worksheets/sheet1.xml")},
        {"the workbook's entry twice, in two cases", zipOf(twoWorkbooks), Problem::Damaged,
         QStringLiteral("xl/workbook.xml")},
        {"a sheet in an encoding XML readers do not read",
         with(book, "xl/worksheets/sheet1.xml", shiftJis), Problem::XmlEncoding,
         QStringLiteral("xl/worksheets/sheet1.xml")},
        {"shared strings in one", with(book, "xl/sharedStrings.xml", shiftJis),
         Problem::XmlEncoding, QStringLiteral("xl/sharedStrings.xml")},
        {"US-ASCII with a byte that is not",
         with(book, "xl/worksheets/sheet1.xml",
              "<?xml version='1.0' encoding='US-ASCII'?><worksheet " + kMain +
                  "><sheetData><row><c t='inlineStr'><is><t>caf\xe9</t></is></c></row>"
                  "</sheetData></worksheet>"),
         Problem::Damaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SheetText text = textOf(c.data);
        EXPECT_EQ(text.problem, c.problem);
        if (!c.part.isEmpty()) {
            EXPECT_EQ(text.part, c.part);
        }
    }
}

// A sheet in UTF-16 or ISO-8859-1 reads as the same sheet in UTF-8, and its copy is UTF-8.
TEST(Workbook, SheetsInOtherXmlEncodingsAreReadAndCopied) {
    const QString cell =
        QStringLiteral(u"<c t=\"inlineStr\"><is><t>%1</t></is></c><c><v>1</v></c>");
    const struct {
        const char* name;
        QStringConverter::Encoding encoding;
        QByteArray declared;
        QString text;
        bool byteOrderMark = false;
        qsizetype at = 0; // where the text's last character starts in the bytes, where it matters
    } cases[] = {
        {"UTF-16LE", QStringConverter::Utf16LE, "UTF-16", QStringLiteral(u"名前 😀"), true},
        {"UTF-16BE", QStringConverter::Utf16BE, "utf-16", QStringLiteral(u"名前 😀"), true},
        {"UTF-16LE without its mark", QStringConverter::Utf16LE, "UTF-16", QStringLiteral(u"名前")},
        {"a character's two halves a MiB apart", QStringConverter::Utf16LE, "UTF-16",
         QStringLiteral(u"名前 😀"), true, 1024 * 1024 - 2},
        {"ISO-8859-1", QStringConverter::Latin1, "ISO-8859-1", QStringLiteral(u"Café")},
        {"US-ASCII", QStringConverter::Latin1, "US-ASCII", QStringLiteral(u"Cafe")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString head = QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?><worksheet ")
                                 .arg(QLatin1StringView(c.declared)) +
                             QLatin1StringView(kMain) + QStringLiteral("><sheetData>");
        const QString row = QStringLiteral("<row r=\"1\">") + cell.arg(c.text);
        // Spaces before the row put the character where it is asked to be.
        const qsizetype lastAt = head.size() + row.indexOf(c.text) + c.text.size() - 2;
        const QString xml = head + QString(c.at > 0 ? (c.at - 2) / 2 - lastAt : 0, u' ') + row +
                            QStringLiteral("</row></sheetData></worksheet>");
        QStringEncoder encoder(c.encoding, c.byteOrderMark ? QStringConverter::Flag::WriteBom
                                                           : QStringConverter::Flag::Default);
        const QByteArray bytes = encoder.encode(xml);
        if (c.at > 0) {
            ASSERT_EQ(bytes.sliced(c.at, 4), QByteArray("\x3d\xd8\x00\xde", 4));
        }
        const auto opened = Workbook::open(zipOf(workbookParts({{"Sheet1", bytes}})));
        ASSERT_TRUE(opened.workbook);
        const SheetText text = textOf(opened.workbook->cells(0));
        ASSERT_EQ(text.problem, Problem::None);
        EXPECT_EQ(text.text, c.text.toUtf8() + "\t1\n");
        QByteArray out;
        ASSERT_EQ(write(*opened.workbook, AddedColumns::of(0, 3, {{"a"}}), out), Problem::None);
        EXPECT_TRUE(partsOf(out)["xl/worksheets/sheet1.xml"].startsWith(
            R"(<?xml version="1.0" encoding="UTF-8"?><worksheet )"));
        EXPECT_EQ(textOf(out).text, c.text.toUtf8() + "\t1\ta\n");
    }
}

// A sheet that inflates past the cap while its directory says it is small.
TEST(Workbook, ZipBombStopsAtTheCap) {
    Parts parts =
        workbookParts({{"Sheet1", QByteArray(qsizetype(zunova::list::kMaxPartBytes) + 1, ' ')}});
    const QByteArray bomb = withClaimedSize(zipOf(parts), "xl/worksheets/sheet1.xml", 1000);
    parts.clear();
    ASSERT_LT(bomb.size(), 2 * 1024 * 1024);
    const auto opened = Workbook::open(bomb);
    ASSERT_TRUE(opened.workbook);
    EXPECT_EQ(opened.workbook->cells(0).outcome.problem, Problem::PartTooLarge);
    QByteArray out;
    EXPECT_EQ(write(*opened.workbook, AddedColumns::of(0, 2, {{"a"}}), out), Problem::PartTooLarge);
}

} // namespace
