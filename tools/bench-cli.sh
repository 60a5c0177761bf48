#!/usr/bin/env bash
# The command line against its floors, as whole processes (tools/bench_processes.py): start-up
# against a Qt Core program printing the version (a), and `zunova -` per number above start-up
# against a plain C++ table look-up printing the same bytes (c), on NUMBERS random 090/070
# numbers. Then throughput against Debian's python3-phonenumbers (parse, then name the carrier)
# on 100,000 numbers, each a whole process writing NUMBER<TAB>CARRIER lines, start included.
# Runs alternate, so a burst of load on a shared machine hits both.
# Usage: tools/bench-cli.sh [numbers, default 1000000] [runs, default 5]
set -euo pipefail
cd "$(dirname "$0")/.."
numbers=${1:-1000000}
runs=${2:-5}
count=100000

cmake --preset bench >/dev/null
cmake --build --preset bench --target zunova floor_hello floor_table
/usr/bin/python3 tools/bench_processes.py cli build/bench "$numbers" "$runs"

/usr/bin/python3 -c 'import phonenumbers' 2>/dev/null || {
    echo "bench-cli: the comparison with python3-phonenumbers needs it (apt-get install python3-phonenumbers)" >&2
    exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp samples/k.dat samples/p.dat "$work"/

/usr/bin/python3 - "$PWD/build/bench/app/zunova" "$work" "$count" "$runs" <<'EOF'
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

with open("/proc/loadavg") as f:
    load = " ".join(f.read().split()[:3])
print("python3-phonenumbers / `zunova -`, %s random 090/070 numbers, whole processes, %d runs "
      "each (load average %s)" % (format(count, ","), runs, load))
best_ratio = min(theirs) / min(ours)
median_ratio = statistics.median(theirs) / statistics.median(ours)
print("  ratio %.0fx (best), %.0fx (median); goal 50x: %s"
      % (best_ratio, median_ratio, "met" if median_ratio >= 50 else "not met"))
EOF
