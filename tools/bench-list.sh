#!/usr/bin/env bash
# Lists against the floor `zunova -`: the same random 090/070 numbers, one a line in a file, each
# a whole process against the sample data, start included:
#   zunova -  < numbers       the floor: one answer a line
#   zunova --csv numbers      the rows with the carrier added                  (goal: 1.5x)
#   list_window numbers out   the application started, the list opened from it, the table
#                             there, then saved; the goal (2x) is timed from opening the list
#                             to its saved copy, as a user of the running application waits
#   zunova --version          the floor's own start, for the stricter ratio beside the goal's:
#                             the window's time against the floor with its start taken off
# Then, in runs of their own, how long the window goes without answering (list_window --answers):
# the longest gap of a 5 ms timer on its GUI thread while it reads, copies and saves the list,
# against the same timer's longest gap on the window idle in the same run.
# Runs alternate; ratios below, with the load average (BENCH_LIST_VERBOSE=1: every run's time).
# Usage: tools/bench-list.sh [numbers, default 1000000] [runs, default 5]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-1000000}
runs=${2:-5}

cmake --preset bench >/dev/null
cmake --build --preset bench -j"$(nproc)" --target zunova list_window >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp samples/k.dat samples/p.dat "$work"/

XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=offscreen /usr/bin/python3 - "$PWD/build/bench" "$work" "$count" "$runs" <<'PYTHON'
import os
import random
import statistics
import subprocess
import sys
import time

sys.path.insert(0, "tools")
from bench_processes import (LIST_WINDOW_ANSWERS, LIST_WINDOW_FIGURES, list_window_answers,
                             list_window_figures)

build, work, count, runs = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
zunova = os.path.join(build, "app", "zunova")
window = os.path.join(build, "bench", "list_window")
rng = random.Random(18)
listing = os.path.join(work, "numbers.txt")
with open(listing, "w") as f:
    f.write("\n".join(rng.choice(("090", "070")) + "%08d" % rng.randrange(10**8)
                      for _ in range(count)) + "\n")


# The window's own figures, the application's start left out: from opening the list to its
# saved copy, to its table on screen, and from 保存 to the saved file.
inside = {name: [] for name in LIST_WINDOW_FIGURES}


def timed(command, stdin=None, failures_allowed=(1,)):
    # Standard output to /dev/null: a file rewritten run after run had the kernel free and
    # refill its pages, which timed the page cache more than either program.
    with open(stdin or os.devnull, "rb") as source, open(os.devnull, "wb") as sink:
        start = time.perf_counter()
        done = subprocess.run(command, stdin=source, stdout=sink, stderr=subprocess.PIPE, cwd=work)
        seconds = time.perf_counter() - start
    if done.returncode != 0 and done.returncode not in failures_allowed:
        sys.exit("bench-list: %s failed with status %d" % (command, done.returncode))
    list_window_figures(done.stderr.decode(errors="replace"), inside)
    return seconds


saved_path = os.path.join(work, "saved.txt")
cases = [("zunova -", [zunova, "-"], listing),
         ("zunova --csv", [zunova, "--csv", listing], None),
         ("list window process, all of it", [window, listing, saved_path], None),
         ("zunova --version", [zunova, "--version"], None)]
times = {name: [] for name, _, _ in cases}
for _ in range(runs):
    for name, command, stdin in cases:
        if command[0] == window and os.path.exists(saved_path):
            os.remove(saved_path)  # each run's own copy is checked
        # A window run that did not show and save its list is a failure, not a time.
        times[name].append(timed(command, stdin, () if command[0] == window else (1,)))
with open(saved_path, "rb") as saved:
    lines = saved.read().count(b"\n")
if lines != count:
    sys.exit("bench-list: the window saved %d lines, not %d" % (lines, count))

print("%d random 090/070 numbers from a file, whole processes, %d runs each" % (count, runs))
print("load average: %s" % open("/proc/loadavg").read().strip())
floor = times["zunova -"]
if os.environ.get("BENCH_LIST_VERBOSE"):
    for name in times:
        print(name, " ".join("%.3f" % t for t in times[name]))


# Two ratios for each: best against best, and the median of each run against the floor's run of
# the same round, moments apart. A process here runs at one of two speeds by the core it lands
# on (one is slower for minutes at a time), and two runs of a round can land on different cores:
# a goal is judged on the bests, each program at its speed on the faster core; the rounds' median
# shows how far the placement moves it.
def ratios(values, floors):
    each = [value / below for value, below in zip(values, floors)]
    return statistics.median(each), min(values) / min(floors)


def report(name, values, floors):
    rounds, bests = ratios(values, floors)
    print("%-34s median %7.3f s, best %7.3f s   ratio: rounds %.2fx, bests %.2fx"
          % (name, statistics.median(values), min(values), rounds, bests))


for name, _, _ in cases:
    report(name, times[name], floor)
for name, values in inside.items():
    report("  in the window: " + name, values, floor)
work_alone = [whole - start for whole, start in zip(floor, times["zunova --version"])]
for name, values, floors, goal in (
        ("zunova --csv", times["zunova --csv"], floor, 1.5),
        ("the list opened, shown and saved", inside["opened, shown and saved"], floor, 2.0),
        ("stricter: the same against zunova - without its start (zunova --version taken off)",
         inside["opened, shown and saved"], work_alone, None)):
    rounds, bests = ratios(values, floors)
    verdict = ("; goal %.1fx: %s" % (goal, "met" if bests <= goal else "not met")
               if goal else "")
    print("%s: %.2fx (bests), %.2fx (rounds) of zunova -%s" % (name, bests, rounds, verdict))

# Each run against its own idle window: the same timer, the same process, moments apart.
gaps = {name: [] for name in LIST_WINDOW_ANSWERS}
for _ in range(runs):
    if os.path.exists(saved_path):
        os.remove(saved_path)
    done = subprocess.run([window, "--answers", listing, saved_path], stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE, cwd=work)
    figures = list_window_answers(done.stderr.decode(errors="replace"))
    if done.returncode != 0 or figures is None:
        sys.exit("bench-list: list_window --answers failed with status %d" % done.returncode)
    for name, ms in figures.items():
        gaps[name].append(ms)
print("the longest the list window went without an answer, %d runs, load average %s, against "
      "a 5 ms timer's longest gap on the idle window (median %d ms):"
      % (runs, open("/proc/loadavg").read().split()[0], statistics.median(gaps["idle"])))
for name in LIST_WINDOW_ANSWERS[:-1]:
    each = [gap / idle for gap, idle in zip(gaps[name], gaps["idle"]) if gap >= 0]
    if not each:
        print("  %-8s passed over: more rows than a copy takes" % name)
        continue
    print("  %-8s median %5.1fx, worst %5.1fx (median %d ms, longest %d ms)"
          % (name, statistics.median(each), max(each), statistics.median(gaps[name]),
             max(gaps[name])))
PYTHON
