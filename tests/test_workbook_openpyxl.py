"""Workbooks made by openpyxl, a writer independent of ours: the module reads their cells as a
spreadsheet shows them, and openpyxl opens zunova's copy with the carrier column added (the
carriers --csv gives the same rows as CSV), every other part of the package as it was. Run by
CTest with ZUNOVA_WORKBOOK_TOOL, ZUNOVA_EXECUTABLE and ZUNOVA_SAMPLES; exits 77 (skipped)
without openpyxl."""

import csv
import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

try:
    import openpyxl
except ImportError:
    print("python3-openpyxl is not installed: skipped")
    sys.exit(77)

TOOL = os.environ["ZUNOVA_WORKBOOK_TOOL"]
ZUNOVA = os.environ["ZUNOVA_EXECUTABLE"]
SAMPLES = os.environ["ZUNOVA_SAMPLES"]


def tool(*args, stdin=""):
    result = subprocess.run([TOOL, *args], input=stdin.encode(), capture_output=True)
    if result.returncode != 0:
        raise AssertionError(result.stderr.decode())
    return result.stdout.decode()


class OpenpyxlWorkbook(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.TemporaryDirectory()
        cls.book = os.path.join(cls.dir.name, "名簿.xlsx")
        book = openpyxl.Workbook()
        sheet = book.active
        sheet.title = "名簿"
        sheet.append(["氏名", "電話", "生年月日", "会員", "式"])
        sheet.append(["田中", 9012345678, datetime.date(2024, 1, 5), True, '=B2&""'])
        sheet.append(["佐藤", "070-1220-5678", None, False, 1.5])
        sheet["A5"] = "結合"
        sheet.merge_cells("A5:C5")
        sheet.column_dimensions["B"].width = 18
        book.create_sheet("予備")["A1"] = 7012205678
        book.save(cls.book)

    @classmethod
    def tearDownClass(cls):
        cls.dir.cleanup()

    def test_cells_read_as_a_spreadsheet_shows_them(self):
        self.assertEqual(tool("sheets", self.book), "名簿\n予備\n")
        # openpyxl computes no formula, so the formula cell has no value to read.
        self.assertEqual(
            tool("text", self.book, "1"),
            "氏名\t電話\t生年月日\t会員\t式\n"
            "田中\t9012345678\t2024-01-05\tTRUE\n"
            "佐藤\t070-1220-5678\t\tFALSE\t1.5\n"
            "\n"
            "結合\n",
        )
        self.assertEqual(tool("text", self.book, "2"), "7012205678\n")

    def zunova(self, *args):
        for name in ("k.dat", "p.dat"):
            shutil.copy(os.path.join(SAMPLES, name), self.dir.name)
        return subprocess.run([ZUNOVA, *args], cwd=self.dir.name, capture_output=True)

    def test_the_copy_holds_what_the_same_rows_as_csv_get(self):
        copy = os.path.join(self.dir.name, "名簿_キャリア.xlsx")
        self.assertEqual(self.zunova("--csv", self.book, "-o", copy).returncode, 0)
        # The same rows as CSV, as the workbook's cells read.
        rows = os.path.join(self.dir.name, "rows.csv")
        with open(rows, "w", encoding="utf-8", newline="") as f:
            csv.writer(f).writerows(
                [["氏名", "電話"], ["田中", "9012345678"], ["佐藤", "070-1220-5678"], [], ["結合", ""]])
        # The CSV gets the carrier and the note, the copy the carrier and, where a row has one, the
        # note.
        carriers = [(row[-2] or None) if row else None for row in csv.reader(
            self.zunova("--csv", rows).stdout.decode().splitlines())]
        book = openpyxl.load_workbook(copy)
        sheet = book["名簿"]
        self.assertEqual([c.value or None for c in sheet["F"]], carriers)
        self.assertEqual([c.value for c in sheet["G"]],
                         ["備考", "表計算ソフトが落とした先頭の 0 を補いました。", None, None,
                          "番号がありません。"])
        self.assertEqual([c.value for c in sheet[2]][:5],
                         ["田中", 9012345678, datetime.datetime(2024, 1, 5), True, '=B2&""'])
        self.assertEqual([str(r) for r in sheet.merged_cells.ranges], ["A5:C5"])
        self.assertEqual(sheet.column_dimensions["B"].width, 18)
        self.assertEqual(book["予備"]["A1"].value, 7012205678)
        # The same parts, the changed sheet written last in the zip; every other byte for byte.
        with zipfile.ZipFile(self.book) as before, zipfile.ZipFile(copy) as after:
            self.assertEqual(sorted(before.namelist()), sorted(after.namelist()))
            changed = [n for n in before.namelist() if before.read(n) != after.read(n)]
        self.assertEqual(changed, ["xl/worksheets/sheet1.xml"])


class OpenpyxlTable(unittest.TestCase):
    def test_a_table_takes_the_new_columns_shown_and_styled_once(self):
        with tempfile.TemporaryDirectory() as work:
            for name in ("k.dat", "p.dat"):
                shutil.copy(os.path.join(SAMPLES, name), work)
            book = openpyxl.Workbook()
            sheet = book.active
            for row in [["氏名", "電話", "メモ"], ["田中", 9012345678, "a"], ["佐藤", None, "b"]]:
                sheet.append(row)
            for cell in sheet[1]:
                cell.font = openpyxl.styles.Font(bold=True)
            sheet.add_table(openpyxl.worksheet.table.Table(displayName="顧客", ref="A1:C3"))
            # The columns after the list hidden, as offices tidy a sheet.
            sheet.column_dimensions["D"] = openpyxl.worksheet.dimensions.ColumnDimension(
                sheet, index="D", min=4, max=16384, hidden=True)
            book.save(os.path.join(work, "b.xlsx"))
            for args in (["b.xlsx", "-o", "c.xlsx"], ["c.xlsx", "-o", "cc.xlsx"]):
                subprocess.run([ZUNOVA, "--csv", *args], cwd=work, capture_output=True)
            copy = openpyxl.load_workbook(os.path.join(work, "c.xlsx")).active
            again = openpyxl.load_workbook(os.path.join(work, "cc.xlsx")).active
            self.assertEqual([[c.value for c in row] for row in again.iter_rows()],
                             [[c.value for c in row] for row in copy.iter_rows()])
            table = copy.tables["顧客"]
            self.assertEqual((table.ref, [c.name for c in table.tableColumns]),
                             ("A1:E3", ["氏名", "電話", "メモ", "キャリア", "備考"]))
            self.assertEqual([(copy[c + "1"].font.b, copy.column_dimensions[c].hidden)
                              for c in "DEF"], [(True, False), (True, False), (False, True)])
            # The note is wider than the carrier.
            self.assertGreater(copy.column_dimensions["E"].width,
                               copy.column_dimensions["D"].width)


if __name__ == "__main__":
    unittest.main()
