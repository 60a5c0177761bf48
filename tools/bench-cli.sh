#!/usr/bin/env bash
# Command-line throughput: random 090 and 070 numbers through `zunova -` against the sample data,
# and the same numbers through Debian's python3-phonenumbers (parse, then name the carrier), each
# a whole process writing NUMBER<TAB>CARRIER lines, start included. Runs alternate, so a burst of
# load on a shared machine hits both; the best and the median of each are reported.
# Usage: tools/bench-cli.sh [numbers, default 100000] [runs, default 5]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-100000}
runs=${2:-5}

/usr/bin/python3 -c 'import phonenumbers' 2>/dev/null || {
    echo "bench-cli: needs python3-phonenumbers (apt-get install python3-phonenumbers)" >&2
    exit 1
}
cmake --preset release >/dev/null
cmake --build --preset release --target zunova

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp samples/k.dat samples/p.dat "$work"/

/usr/bin/python3 - "$PWD/build/release/app/zunova" "$work" "$count" "$runs" <<'EOF'
import os
import random
import statistics
import subprocess
import sys
import time

zunova, work, count, runs = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])

rng = random.Random(12)
numbers = [rng.choice(("090", "070")) + "%08d" % rng.randrange(10**8) for _ in range(count)]
listing = os.path.join(work, "numbers.txt")
with open(listing, "w") as f:
    f.write("\n".join(numbers) + "\n")

mapper = os.path.join(work, "carriers.py")
with open(mapper, "w") as f:
    f.write('''import sys
import phonenumbers
from phonenumbers import carrier
out = sys.stdout
for line in sys.stdin:
    number = line.rstrip("\\r\\n")
    out.write(number + "\\t" + carrier.name_for_number(phonenumbers.parse(number, "JP"), "en") + "\\n")
''')


def timed(command):
    with open(listing, "rb") as source, open(os.path.join(work, "out"), "wb") as sink:
        start = time.perf_counter()
        done = subprocess.run(command, stdin=source, stdout=sink, cwd=work)
        seconds = time.perf_counter() - start
    with open(os.path.join(work, "out"), "rb") as f:
        lines = f.read().count(b"\n")
    if done.returncode != 0 or lines != count:
        sys.exit("bench-cli: %s failed (status %d, %d lines)" % (command[0], done.returncode, lines))
    return seconds


ours, theirs = [], []
for _ in range(runs):
    ours.append(timed([zunova, "-"]))
    theirs.append(timed(["/usr/bin/python3", mapper]))

print("%d random 090/070 numbers from a file, whole process, %d runs each" % (count, runs))
for name, times in (("zunova -", ours), ("python3-phonenumbers", theirs)):
    best, median = min(times), statistics.median(times)
    print("%-22s best %8.3f s = %11s numbers/s   median %8.3f s = %11s numbers/s"
          % (name, best, format(round(count / best), ","), median, format(round(count / median), ",")))
best_ratio = min(theirs) / min(ours)
median_ratio = statistics.median(theirs) / statistics.median(ours)
print("ratio: %.0fx (best), %.0fx (median); goal 50x: %s"
      % (best_ratio, median_ratio, "met" if median_ratio >= 50 else "not met"))
EOF
