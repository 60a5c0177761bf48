#!/usr/bin/python3
"""Writes a "k.dat" for Zunova from the carrier data of Debian's python3-phonenumbers.

For every block 000-999 and seventh digit 0-9 of 090 numbers it asks the library which carrier
the numbers 090-CDE-F... were allocated to, and writes one record per allocated block: the key
and ten carrier codes, CR LF, blocks ascending. A block with no allocation at all gets no
record; an unallocated seventh digit inside an allocated block gets code 9.

The answer is the carrier a block was first allocated to: since 2006 a number can move to
another carrier and keep its digits.
"""

import argparse
import collections
import os
import sys

import phonenumbers
from phonenumbers import carrier

UNIDENTIFIED = 9

# Carrier names as the library spells them (compared case-insensitively) and their codes.
CODES = {
    "ntt docomo": 1,
    "kddi": 2,
    "okinawa cellular": 2,  # the au brand in Okinawa
    "softbank": 3,  # successor of the J-Phone network
}


def code_for(name):
    """The carrier code for a library carrier name; None where nothing is allocated."""
    if not name:
        return None
    return CODES.get(name.strip().lower(), UNIDENTIFIED)


def carrier_name(block, digit):
    """The library's carrier for the numbers 090-<block>-<digit>..."""
    number = phonenumbers.parse("+8190%03d%d0000" % (block, digit))
    return carrier.name_for_number(number, "en")


def build_records():
    """(block, [ten codes]) for every block with at least one allocated seventh digit."""
    records = []
    for block in range(1000):
        codes = [code_for(carrier_name(block, digit)) for digit in range(10)]
        if any(code is not None for code in codes):
            records.append((block, [UNIDENTIFIED if c is None else c for c in codes]))
    return records


def format_records(records):
    return b"".join(
        (",".join(str(v) for v in [block] + codes) + "\r\n").encode("ascii")
        for block, codes in records)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output", nargs="?", default="k.dat",
                        help='where to write the file (default: "k.dat" here)')
    parser.add_argument("-f", "--force", action="store_true",
                        help="overwrite the output file if it exists")
    args = parser.parse_args(argv)

    records = build_records()
    try:
        with open(args.output, "wb" if args.force else "xb") as out:
            out.write(format_records(records))
    except FileExistsError:
        print("%s exists; use --force to overwrite it" % args.output, file=sys.stderr)
        return 1

    names = {1: "NTT Docomo", 2: "KDDI / Okinawa Cellular (au)", 3: "SoftBank", UNIDENTIFIED: "other or unallocated"}
    blocks = collections.Counter(code for _, codes in records for code in set(codes))
    print("wrote %d blocks to %s" % (len(records), os.path.abspath(args.output)))
    for code in sorted(blocks):
        print("  code %d %-30s in %4d blocks" % (code, names[code], blocks[code]))
    print("carrier data: python3-phonenumbers %s" % phonenumbers.__version__)
    return 0


if __name__ == "__main__":
    sys.exit(main())
