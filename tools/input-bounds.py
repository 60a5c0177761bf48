#!/usr/bin/python3
"""Inputs made to cost a reader minutes or gigabytes, each run through the command line with its
time and peak memory measured: every one must be answered or refused within a minute and 1 GB.

  300 sheets, one part       a workbook of 300 sheets that all point to one 250 MiB part
  300 sheets, large strings  300 sheets without numbers beside 250 MiB of shared strings
  60 sheets, each its own    60 parts of 250 MiB each, none with numbers, in 15 MB
  two million entries        a zip of 2 million entries: a workbook and empty files
  5,000,000 sheets           a workbook that lists 5 million sheets, all one part
  8,000,000 rows             a sheet of 8 million numbers, its copy written with -o
  a hole after ASCII         a list of 1 MiB of ASCII followed by a 200 GiB sparse hole

Usage: tools/input-bounds.py ZUNOVA SAMPLES [NAME...]
  ZUNOVA   the program (build/release/app/zunova, build/dev/app/zunova)
  SAMPLES  a folder with k.dat and p.dat, the program's working directory
  NAME     only the cases whose names contain it
Exit status 0 when every case keeps within its bounds, 1 otherwise.
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zipfile
import zlib

MAX_SECONDS = 60
MAX_KB = 1024 * 1024  # 1 GB of peak resident memory
MIB = 1024 * 1024

MAIN = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"'
RELS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"


def relationships(items):
    xml = ('<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.'
           'openxmlformats.org/package/2006/relationships">')
    for number, (kind, target) in enumerate(items, 1):
        xml += f'<Relationship Id="rId{number}" Type="{RELS}/{kind}" Target="{target}"/>'
    return xml + "</Relationships>"


def write_repeated(book, name, head, unit, size, tail):
    """A part of `size` bytes or so: `head`, `unit` again and again, `tail`; deflated as it is
    made, never held whole."""
    piece = unit * max(1, MIB // len(unit))
    left = size - len(head) - len(tail)
    with book.open(name, "w") as part:
        part.write(head)
        while left > len(piece):
            part.write(piece)
            left -= len(piece)
        part.write(unit * (left // len(unit)))
        part.write(tail)


def deflated(head, unit, size, tail):
    """What write_repeated writes, deflated as a zip entry holds it: bytes, CRC-32, size."""
    piece = unit * max(1, MIB // len(unit))
    deflate = zlib.compressobj(9, zlib.DEFLATED, -15)
    data, crc, left = [deflate.compress(head)], zlib.crc32(head), size - len(head) - len(tail)
    for chunk in [piece] * (left // len(piece)) + [unit * (left % len(piece) // len(unit)), tail]:
        data.append(deflate.compress(chunk))
        crc = zlib.crc32(chunk, crc)
    data.append(deflate.flush())
    return b"".join(data), crc, size - left % len(unit)


def raw_zip(path, entries):
    """A zip of `entries` (name, then what deflated() gives) written as they are, so that one
    part's deflated bytes serve many names; with zip64's end records where it needs them."""
    directory = []
    with open(path, "wb") as out:
        for name, (data, crc, size) in entries:
            name, offset = name.encode(), out.tell()
            out.write(struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, 8, 0, 0, crc, len(data),
                                  size, len(name), 0) + name + data)
            directory.append(struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, 8, 0, 0,
                                         crc, len(data), size, len(name), 0, 0, 0, 0, 0,
                                         offset) + name)
        start = out.tell()
        out.write(b"".join(directory))
        end, count = out.tell(), len(directory)
        if count > 0xFFFF:
            out.write(struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, count, count,
                                  end - start, start))
            out.write(struct.pack("<IIQI", 0x07064B50, 0, end, 1))
        out.write(struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, min(count, 0xFFFF),
                              min(count, 0xFFFF), end - start, start, 0))


def small(text):
    data, deflate = text.encode(), zlib.compressobj(9, zlib.DEFLATED, -15)
    return deflate.compress(data) + deflate.flush(), zlib.crc32(data), len(data)


def raw_workbook(path, sheet_targets, more):
    """workbook(), its parts written by raw_zip: `more` are the entries besides its own."""
    sheets = "".join(f'<sheet name="S{n}" sheetId="{n}" r:id="rId{n}"/>'
                     for n in range(1, len(sheet_targets) + 1))
    raw_zip(path, [
        ("[Content_Types].xml", small(
            '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
            '<Default Extension="xml" ContentType="application/xml"/></Types>')),
        ("_rels/.rels", small(relationships([("officeDocument", "xl/workbook.xml")]))),
        ("xl/workbook.xml", small(
            f'<workbook {MAIN} xmlns:r="{RELS}"><sheets>{sheets}</sheets></workbook>')),
        ("xl/_rels/workbook.xml.rels",
         small(relationships([("worksheet", target) for target in sheet_targets]))),
    ] + more)


def workbook(path, sheet_targets, parts, shared_strings=None):
    """A workbook whose sheets S1, S2... point to `sheet_targets` (under xl/); `parts` writes
    the parts themselves."""
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as book:
        book.writestr("[Content_Types].xml",
                      '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
                      '<Default Extension="xml" ContentType="application/xml"/></Types>')
        book.writestr("_rels/.rels", relationships([("officeDocument", "xl/workbook.xml")]))
        targets = [("worksheet", target) for target in sheet_targets]
        if shared_strings:
            targets.append(("sharedStrings", "sharedStrings.xml"))
        sheets = "".join(f'<sheet name="S{n}" sheetId="{n}" r:id="rId{n}"/>'
                         for n in range(1, len(sheet_targets) + 1))
        book.writestr("xl/workbook.xml",
                      f'<workbook {MAIN} xmlns:r="{RELS}"><sheets>{sheets}</sheets></workbook>')
        book.writestr("xl/_rels/workbook.xml.rels", relationships(targets))
        parts(book)


SHEET_HEAD = (f'<?xml version="1.0" encoding="UTF-8"?><worksheet {MAIN}><sheetData>'
              '<row r="1"><c t="inlineStr"><is><t>名前</t></is></c></row>').encode()
SHEET_TAIL = b"</sheetData></worksheet>"


def one_part(folder):
    path = os.path.join(folder, "one-part.xlsx")
    workbook(path, ["worksheets/sheet1.xml"] * 300, lambda book: write_repeated(
        book, "xl/worksheets/sheet1.xml", SHEET_HEAD, b" ", 250 * MIB, SHEET_TAIL))
    return path


def many_parts(folder):
    path = os.path.join(folder, "many-parts.xlsx")
    part = deflated(SHEET_HEAD, b" ", 250 * MIB, SHEET_TAIL)
    names = [f"worksheets/sheet{n}.xml" for n in range(1, 61)]
    raw_workbook(path, names, [("xl/" + name, part) for name in names])
    return path


def many_entries(folder):
    path = os.path.join(folder, "many-entries.xlsx")
    sheet = small(f'<worksheet {MAIN}><sheetData><row><c t="inlineStr"><is><t>09012345678</t>'
                  "</is></c></row></sheetData></worksheet>")
    empty = small("")
    raw_workbook(path, ["worksheets/sheet1.xml"], [("xl/worksheets/sheet1.xml", sheet)] +
                 [(f"xl/media/{n}", empty) for n in range(2_000_000)])
    return path


def many_sheets(folder):
    path = os.path.join(folder, "many-sheets.xlsx")
    sheet = '<sheet name="S" r:id="rId1"/>'.encode()
    raw_zip(path, [
        ("_rels/.rels", small(relationships([("officeDocument", "xl/workbook.xml")]))),
        ("xl/workbook.xml", deflated(f'<workbook {MAIN} xmlns:r="{RELS}"><sheets>'.encode(),
                                     sheet, 5_000_000 * len(sheet), b"</sheets></workbook>")),
        ("xl/_rels/workbook.xml.rels",
         small(relationships([("worksheet", "worksheets/sheet1.xml")]))),
        ("xl/worksheets/sheet1.xml", small(f"<worksheet {MAIN}/>")),
    ])
    return path


def large_strings(folder):
    path = os.path.join(folder, "large-strings.xlsx")

    def parts(book):
        for n in range(1, 301):
            book.writestr(f"xl/worksheets/sheet{n}.xml",
                          f'<worksheet {MAIN}><sheetData><row><c t="s"><v>{n}</v></c></row>'
                          "</sheetData></worksheet>")
        write_repeated(book, "xl/sharedStrings.xml", f"<sst {MAIN}>".encode(),
                       "<si><t>名前</t></si>".encode(), 250 * MIB, b"</sst>")

    workbook(path, [f"worksheets/sheet{n}.xml" for n in range(1, 301)], parts, True)
    return path


def many_rows(folder):
    path = os.path.join(folder, "rows.xlsx")
    rows = 8_000_000

    def parts(book):
        book.writestr("xl/sharedStrings.xml", f"<sst {MAIN}><si><t>09012345678</t></si></sst>")
        unit = b'<row><c t="s"><v>0</v></c></row>'
        head = f'<worksheet {MAIN}><sheetData>'.encode()
        write_repeated(book, "xl/worksheets/sheet1.xml", head, unit,
                       len(head) + rows * len(unit) + len(SHEET_TAIL), SHEET_TAIL)

    workbook(path, ["worksheets/sheet1.xml"], parts, True)
    return path


def hole_after_ascii(folder):
    path = os.path.join(folder, "hole.csv")
    with open(path, "wb") as out:
        line = b"09012345678\r\n"
        out.write(line * (MIB // len(line) + 1))
        out.truncate(out.tell() + 200 * 1024 * MIB)
    return path


CASES = [
    # name, what makes the input, the arguments after it, the exit statuses it may end with
    ("300 sheets, one part", one_part, [], {1}),
    ("300 sheets, large strings", large_strings, [], {1}),
    ("60 sheets, each its own part", many_parts, [], {2}),
    ("two million entries", many_entries, [], {2}),
    ("5,000,000 sheets", many_sheets, [], {2}),
    ("8,000,000 rows", many_rows, ["-o", "{folder}/copy.xlsx"], {0, 1}),
    ("a hole after ASCII", hole_after_ascii, [], {2}),
]


def run(command, cwd):
    """Runs `command`, stopped at twice the time allowed: its exit status, seconds to its first
    byte of output and to its end, its peak resident memory in KB, and what it said on standard
    error."""
    started = time.monotonic()
    with tempfile.TemporaryFile() as errors:
        process = subprocess.Popen(command, cwd=cwd, stdout=subprocess.PIPE, stderr=errors,
                                   env=dict(os.environ, LC_ALL="C.UTF-8", LANGUAGE="en"))
        stop = threading.Timer(2 * MAX_SECONDS, process.kill)
        stop.start()
        first = process.stdout.read(1)
        first_byte = time.monotonic() - started
        while process.stdout.read(MIB):
            pass
        _, status, usage = os.wait4(process.pid, 0)
        stop.cancel()
        process.returncode = os.waitstatus_to_exitcode(status)
        ended = time.monotonic() - started
        errors.seek(0)
        said = errors.read().decode(errors="replace")
    return process.returncode, first_byte if first else ended, ended, usage.ru_maxrss, said


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--make":
        print(dict((case[0], case[1]) for case in CASES)[sys.argv[2]](sys.argv[3]))
        return
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    program, samples, names = os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3:]
    failed = False
    for name, make, arguments, statuses in CASES:
        if names and not any(n in name for n in names):
            continue
        folder = tempfile.mkdtemp()
        try:
            # Made by a process of its own: a child's peak memory counts what it was forked
            # with, and this one stays small.
            path = subprocess.run([sys.executable, __file__, "--make", name, folder], check=True,
                                  stdout=subprocess.PIPE, text=True).stdout.strip()
            command = [program, "--csv", path] + [a.format(folder=folder) for a in arguments]
            status, first_byte, seconds, kb, said = run(command, samples)
        finally:
            shutil.rmtree(folder)
        bad = []
        if seconds > MAX_SECONDS or first_byte > MAX_SECONDS:
            bad.append(f"over {MAX_SECONDS} s")
        if kb > MAX_KB:
            bad.append(f"over {MAX_KB // 1024} MB")
        if status not in statuses:
            bad.append(f"exit status {status}, not {sorted(statuses)}")
        failed = failed or bool(bad)
        print(f"{name}: {seconds:.1f} s (first output after {first_byte:.1f} s), "
              f"{kb // 1024} MB, exit status {status}{': ' + '; '.join(bad) if bad else ''}")
        print("  " + (said.splitlines() or [""])[-1][:200])
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
