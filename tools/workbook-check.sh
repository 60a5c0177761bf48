#!/usr/bin/env bash
# Workbooks from a real spreadsheet program: where LibreOffice is installed (Debian's
# libreoffice-calc-nogui; this script installs nothing; the test suite runs it), it
#   1. converts a CSV and a spreadsheet with formulas, a date and a second sheet to .xlsx,
#   2. reads each with the module (tests/workbook_tool) and checks the text,
#   3. has zunova write a copy with the carrier column, checks that only the sheet's part
#      changed, and has LibreOffice convert the copy back to CSV and openpyxl open it, where the
#      carriers must stand beside the rows, the same as `zunova --csv` gives for the CSV;
#   4. has it make a list kept as a table, and one under a filter, whose copies' columns must
#      join the table or the filter, show and take the header's style, and stay one of each in
#      a copy of the copy;
#   5. has the CSV saved as .xls, the old binary workbook, which zunova must name as such.
# Usage: tools/workbook-check.sh [BUILD_DIR]   (default build/dev; exit 77 without LibreOffice)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/dev}")
tool=$build/tests/workbook_tool
zunova=$build/app/zunova
if ! command -v libreoffice >/dev/null; then
    echo "LibreOffice is not installed: skipped"
    exit 77
fi
if [ ! -x "$tool" ]; then
    echo "$tool is not built (cmake --build --preset dev --target workbook_tool)" >&2
    exit 2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# zunova reads the sample data from the folder it runs in.
cp samples/k.dat samples/p.dat "$work"/
run_zunova() { (cd "$work" && "$zunova" "$@"); }
# Column N of a CSV's rows, quotes and line breaks inside them read as CSV does.
column_of() {
    /usr/bin/python3 -c 'import csv, sys
for row in csv.reader(open(sys.argv[1], encoding="utf-8", newline="")):
    print(row[int(sys.argv[2]) - 1] if len(row) >= int(sys.argv[2]) else "")' "$1" "$2"
}
# Column N of a workbook's sheet as openpyxl reads it.
openpyxl_column() {
    /usr/bin/python3 -c 'import openpyxl, sys
sheet = openpyxl.load_workbook(sys.argv[1])[sys.argv[2]]
for row in sheet.iter_rows(min_col=int(sys.argv[3]), max_col=int(sys.argv[3]), values_only=True):
    print("" if row[0] is None else row[0])' "$@"
}
failures=0
# Comma, quote, UTF-8, from line 1; text unquoted, cells as shown, formulas' values.
csv_options=44,34,76,1,,0,false,true,false,false,false

# LibreOffice keeps its profile in the work folder, not the user's; it writes into $outdir.
outdir=$work
office() {
    HOME=$work libreoffice -env:UserInstallation="file://$work/profile" --headless "$@" \
        --outdir "$outdir" >/dev/null 2>&1
}
# expect NAME ACTUAL EXPECTED
expect() {
    if [ "$2" == "$3" ]; then
        echo "ok: $1"
    else
        echo "FAILED: $1"
        diff <(printf '%s\n' "$3") <(printf '%s\n' "$2") || true
        failures=$((failures + 1))
    fi
}
# The names of the parts whose bytes differ between two packages.
changed_parts() {
    /usr/bin/python3 - "$1" "$2" <<'EOF'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as a, zipfile.ZipFile(sys.argv[2]) as b:
    assert sorted(a.namelist()) == sorted(b.namelist()), "parts added or lost"
    print(" ".join(n for n in a.namelist() if a.read(n) != b.read(n)))
EOF
}

printf '氏名,電話,金額,メモ\n田中,09012345678,1200,"改行\nあり"\n佐藤,070-1220-5678,,\n鈴木,07012205678,3.5,TRUE\n' \
    >"$work/list.csv"
office --infilter=CSV:44,34,76,1 --convert-to xlsx "$work/list.csv"
expect "CSV as .xlsx: the sheet as text" "$("$tool" text "$work/list.xlsx" 1)" \
    "$(printf '氏名\t電話\t金額\tメモ\n田中\t9012345678\t1200\t"改行\nあり"\n佐藤\t070-1220-5678\n鈴木\t7012205678\t3.5\tTRUE')"

run_zunova --csv list.csv >"$work/carriers.csv" 2>/dev/null || true
run_zunova --csv list.xlsx -o copy.xlsx 2>/dev/null || true
expect "CSV as .xlsx: only the sheet changed" "$(changed_parts "$work/list.xlsx" "$work/copy.xlsx")" \
    "xl/worksheets/sheet1.xml"
office --convert-to "csv:Text - txt - csv (StarCalc):$csv_options" "$work/copy.xlsx"
expect "CSV as .xlsx: LibreOffice reads the carriers --csv gives the CSV" \
    "$(column_of "$work/copy.csv" 5)" "$(column_of "$work/carriers.csv" 5)"
if /usr/bin/python3 -c 'import openpyxl' 2>/dev/null; then
    expect "CSV as .xlsx: openpyxl reads the carriers --csv gives the CSV" \
        "$(openpyxl_column "$work/copy.xlsx" list 5)" "$(column_of "$work/carriers.csv" 5)"
fi
expect "CSV as .xlsx: the carriers are there" "$(column_of "$work/carriers.csv" 5 | tr '\n' ' ')" \
    "キャリア ａｕ 不明 不明 "

# A spreadsheet as LibreOffice keeps it in one XML file: formulas with their results, a date, a
# merged range, and a second sheet ahead of the one read.
cat >"$work/book.fods" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" office:version="1.2"
 office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
 <number:date-style style:name="ymd"><number:year number:style="long"/><number:text>/</number:text>
  <number:month number:style="long"/><number:text>/</number:text><number:day number:style="long"/></number:date-style>
 <style:style style:name="date" style:family="table-cell" style:data-style-name="ymd"/>
</office:automatic-styles>
<office:body><office:spreadsheet>
 <table:table table:name="表紙"><table:table-row><table:table-cell office:value-type="string"><text:p>一覧は次のシート</text:p></table:table-cell></table:table-row></table:table>
 <table:table table:name="名簿">
  <table:table-row>
   <table:table-cell office:value-type="string"><text:p>氏名</text:p></table:table-cell>
   <table:table-cell office:value-type="string"><text:p>電話</text:p></table:table-cell>
   <table:table-cell office:value-type="string"><text:p>番号</text:p></table:table-cell>
   <table:table-cell office:value-type="string"><text:p>登録日</text:p></table:table-cell>
  </table:table-row>
  <table:table-row>
   <table:table-cell office:value-type="string"><text:p>田中</text:p></table:table-cell>
   <table:table-cell office:value-type="float" office:value="9012345678"><text:p>9012345678</text:p></table:table-cell>
   <table:table-cell table:formula="of:=&quot;0&quot;&amp;[.B2]" office:value-type="string" office:string-value="09012345678"><text:p>09012345678</text:p></table:table-cell>
   <table:table-cell table:style-name="date" office:value-type="date" office:date-value="2024-01-05"><text:p>2024/01/05</text:p></table:table-cell>
  </table:table-row>
  <table:table-row>
   <table:table-cell table:number-columns-spanned="2" office:value-type="string"><text:p>結合</text:p></table:table-cell>
   <table:covered-table-cell/>
   <table:table-cell table:formula="of:=[.B2]*0+1" office:value-type="float" office:value="1"><text:p>1</text:p></table:table-cell>
  </table:table-row>
 </table:table>
</office:spreadsheet></office:body></office:document>
EOF
office --convert-to xlsx "$work/book.fods"
expect "spreadsheet as .xlsx: its sheets" "$("$tool" sheets "$work/book.xlsx")" "$(printf '表紙\n名簿')"
expect "spreadsheet as .xlsx: the second sheet as text" "$("$tool" text "$work/book.xlsx" 2)" \
    "$(printf '氏名\t電話\t番号\t登録日\n田中\t9012345678\t09012345678\t2024-01-05\n結合\t\t1')"
# The first sheet with a number column is the second.
run_zunova --csv book.xlsx -o copy2.xlsx 2>/dev/null || true
expect "spreadsheet as .xlsx: only the sheet changed" \
    "$(changed_parts "$work/book.xlsx" "$work/copy2.xlsx")" "xl/worksheets/sheet2.xml"
# The second sheet to CSV (the last option), its date left out: LibreOffice shows it as its
# locale has dates.
office --convert-to "csv:Text - txt - csv (StarCalc):$csv_options,2" "$work/copy2.xlsx"
expect "spreadsheet as .xlsx: LibreOffice reads the copy's carriers and notes" \
    "$(cat "$work"/copy2*.csv | tr -d '\r' | cut -d, -f1-3,5-)" \
    "$(printf '氏名,電話,番号,キャリア,備考\n田中,9012345678,09012345678,ａｕ,表計算ソフトが落とした先頭の 0 を補いました。\n結合,,1,,番号がありません。')"

# A list as LibreOffice keeps one to sort: its header bold on a fill, the columns after it hidden,
# and over it a table (a named database range) or a filter (an unnamed one). LibreOffice's own
# save of the copy says what it read of it.
kept_list() {
    local row cell rows=""
    for row in "head:氏名 head:電話 head:メモ" ":田中 :090-1234-5678 :a" ":佐藤 :070-1220-5678 :b" \
        ":鈴木 : :c"; do
        rows+="<table:table-row>"
        for cell in $row; do
            rows+="<table:table-cell table:style-name=\"${cell%%:*}\" office:value-type=\"string\">"
            rows+="<text:p>${cell#*:}</text:p></table:table-cell>"
        done
        rows+="</table:table-row>"
    done
    sed "s|ROWS|$rows|; s|NAME|$1|" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" office:version="1.2"
 office:mimetype="application/vnd.oasis.opendocument.spreadsheet"><office:automatic-styles>
 <style:style style:name="head" style:family="table-cell"><style:table-cell-properties
  fo:background-color="#ddeeff"/><style:text-properties fo:font-weight="bold"
  style:font-weight-asian="bold"/></style:style></office:automatic-styles>
<office:body><office:spreadsheet><table:table table:name="顧客">
 <table:table-column table:number-columns-repeated="3"/>
 <table:table-column table:visibility="collapse" table:number-columns-repeated="1021"/>
 ROWS</table:table></office:spreadsheet><table:database-ranges><table:database-range
 table:name="NAME" table:target-range-address="顧客.A1:顧客.C4" table:display-filter-buttons="true"/>
</table:database-ranges></office:body></office:document>
EOF
}
for kind in table filter; do
    [ $kind == table ] && name=顧客表 || name=__Anonymous_Sheet_DB__0
    kept_list $name >"$work/$kind.fods"
    office --convert-to xlsx "$work/$kind.fods"
    run_zunova --csv $kind.xlsx -o $kind-copy.xlsx 2>/dev/null || true
    run_zunova --csv $kind-copy.xlsx -o $kind-again.xlsx 2>/dev/null || true
    [ $kind == table ] && changed="xl/tables/table1.xml xl/worksheets/sheet1.xml" ||
        changed="xl/workbook.xml xl/worksheets/sheet1.xml"
    expect "LibreOffice's $kind: only the sheet and the $kind's range changed" \
        "$(changed_parts "$work/$kind.xlsx" "$work/$kind-copy.xlsx" | tr ' ' '\n' | sort | xargs)" \
        "$changed"
    mkdir -p "$work/resaved"
    outdir=$work/resaved office --convert-to xlsx "$work/$kind-copy.xlsx"
    [ $kind == table ] && range="A1:E4 氏名,電話,メモ,キャリア,備考" || range=A1:E4
    # The table's range and columns, or the filter's range; columns D and F shown or hidden;
    # the new header D1 beside C1.
    expect "LibreOffice's $kind: LibreOffice reads the copy's columns in the $kind, shown, styled" \
        "$(/usr/bin/python3 -c 'import openpyxl, sys
sheet = openpyxl.load_workbook(sys.argv[1])["顧客"]
print(*[t.ref + " " + ",".join(c.name for c in t.tableColumns) for t in sheet.tables.values()]
      or [sheet.auto_filter.ref])
print(*("hidden" if sheet.column_dimensions[c].hidden else "shown" for c in "DF"))
for cell in (sheet["D1"], sheet["C1"]):
    print(cell.value, "bold" if cell.font.b else "plain", cell.fill.fgColor.rgb)' \
            "$work/resaved/$kind-copy.xlsx")" \
        "$(printf '%s\nshown hidden\nキャリア bold FFDDEEFF\nメモ bold FFDDEEFF' "$range")"
    for copy in copy again; do
        office --convert-to "csv:Text - txt - csv (StarCalc):$csv_options" "$work/$kind-$copy.xlsx"
        [ $copy == copy ] && what="the copy" || what="a copy of the copy"
        expect "LibreOffice's $kind: the rows of $what, one carrier column" \
            "$(tr -d '\r' <"$work/$kind-$copy.csv")" "$(printf '%s\n' 氏名,電話,メモ,キャリア,備考 \
                田中,090-1234-5678,a,ａｕ, 佐藤,070-1220-5678,b,不明, 鈴木,,c,,番号がありません。)"
    done
done

office --infilter=CSV:44,34,76,1 --convert-to xls "$work/list.csv"
expect "CSV as .xls: named the old binary workbook" "$(run_zunova --csv list.xls -o out.xlsx 2>&1)" \
    "zunova: list.xls: an Excel workbook of the old binary kind (.xls or .xlsb): save it as .xlsx or as CSV"

echo "$failures failed"
[ "$failures" -eq 0 ]
