#!/usr/bin/env python3
"""Times zunova as whole processes against floor programs doing the same job (bench/floors/).

Each run's cost is the CPU time (user + system) the kernel reports for the process (wait4), so
waiting for the disk or for the other core's load does not count. The program and its floor run
alternately, many times, and their medians are compared: a burst of load on a shared machine
hits both. Prints ratios, never bare times, with the load average before and after beside them.

Usage: bench_processes.py cli BUILD-DIR [NUMBERS] [RUNS]   start-up (a) and `zunova -` (c)
       bench_processes.py window BUILD-DIR [RUNS]          the window's start (b)
       bench_processes.py scan BUILD-DIR [MEGABYTES] [RUNS] the scan of a large file (d)
"""

import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading

SAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "samples")


def load_average():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def cpu_seconds(argv, stdin=None, stdout=None, cwd=None, env=None, timeout=120):
    """Runs argv to its end; returns its CPU time. Exits on a failure or after `timeout`."""
    with open(stdin or os.devnull, "rb") as source, open(stdout or os.devnull, "wb") as sink:
        process = subprocess.Popen(argv, stdin=source, stdout=sink, cwd=cwd, env=env)
        watchdog = threading.Timer(timeout, process.kill)
        watchdog.start()
        _, status, usage = os.wait4(process.pid, 0)
        watchdog.cancel()
        process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        sys.exit("bench: %s ended with status %d" % (" ".join(argv), process.returncode))
    return usage.ru_utime + usage.ru_stime


def medians(jobs, runs):
    """Runs each job once per round, `runs` rounds, after one round to warm the caches."""
    for job in jobs.values():
        job()
    times = {name: [] for name in jobs}
    for _ in range(runs):
        for name, job in jobs.items():
            times[name].append(job())
    return {name: statistics.median(values) for name, values in times.items()}


class Report:
    def __init__(self, title):
        self.title = title
        self.before = load_average()
        self.lines = []

    def ratio(self, what, value):
        self.lines.append("  ratio %-58s %6.2f" % (what, value))

    def print(self):
        print("%s (load average %s before, %s after)" % (self.title, self.before, load_average()))
        print("\n".join(self.lines))


def identical_output(argvs, stdin, cwd, work):
    outputs = []
    for i, argv in enumerate(argvs):
        path = os.path.join(work, "out%d" % i)
        cpu_seconds(argv, stdin=stdin, stdout=path, cwd=cwd)
        with open(path, "rb") as f:
            outputs.append(f.read())
    if any(output != outputs[0] for output in outputs):
        sys.exit("bench: %s do not print the same bytes" % " and ".join(a[0] for a in argvs))
    return outputs[0]


LIST_WINDOW_FIGURES = ("opened, shown and saved", "shown", "saved")


def list_window_figures(stderr, inside):
    """Appends, in seconds, list_window's own figures printed on `stderr` to the lists of
    `inside`, a dict keyed by LIST_WINDOW_FIGURES: from opening the list to its saved copy, to
    its table on screen, and from 保存 to the saved file."""
    for line in stderr.splitlines():
        figures = re.match(r"list_window: opened, shown and saved in (\d+) ms "
                           r"\(shown in (\d+) ms, saved in (\d+) ms\)", line)
        if figures:
            for name, ms in zip(LIST_WINDOW_FIGURES, figures.groups()):
                inside[name].append(int(ms) / 1000)


LIST_WINDOW_ANSWERS = ("reading", "copying", "saving", "idle")


def list_window_answers(stderr):
    """The figures `list_window --answers` printed on `stderr`, in milliseconds, keyed by
    LIST_WINDOW_ANSWERS: the longest the window went without answering while it read, copied
    (-1: a list too long to copy, passed over) and saved the list, and on the idle window; None
    where it printed none."""
    for line in stderr.splitlines():
        figures = re.match(r"list_window: longest without an answer: reading (-?\d+) ms, "
                           r"copying (-?\d+) ms, saving (-?\d+) ms; idle (-?\d+) ms", line)
        if figures:
            return dict(zip(LIST_WINDOW_ANSWERS, (int(ms) for ms in figures.groups())))
    return None


def cli(build, count=1_000_000, runs=5):
    zunova, hello, table = (os.path.join(build, p) for p in
                            ("app/zunova", "bench/floor_hello", "bench/floor_table"))
    with tempfile.TemporaryDirectory() as work:
        for name in ("k.dat", "p.dat"):
            shutil.copy(os.path.join(SAMPLES, name), work)

        report = Report("(a) start-up, CPU time of whole processes, median of %d" % (runs * 8))
        start = medians({
            "hello": lambda: cpu_seconds([hello]),
            "version": lambda: cpu_seconds([zunova, "--version"]),
            "lookup": lambda: cpu_seconds([zunova, "09012345678"], cwd=work),
        }, runs * 8)
        report.ratio("`zunova --version` / Qt Core hello", start["version"] / start["hello"])
        report.ratio("`zunova 09012345678` / Qt Core hello", start["lookup"] / start["hello"])
        report.print()

        rng = random.Random(17)
        numbers = os.path.join(work, "numbers")
        with open(numbers, "w") as f:
            f.writelines(rng.choice(("090", "070")) + "%08d\n" % rng.randrange(10**8)
                         for _ in range(count))
        lines = identical_output([[zunova, "-"], [table]], numbers, work, work).count(b"\n")
        if lines != count:
            sys.exit("bench: %d answers for %d numbers" % (lines, count))

        report = Report("(c) `zunova -` per number above start-up, %s random 090/070 numbers, "
                        "output byte-identical, median of %d" % (format(count, ","), runs))
        full = medians({
            "zunova": lambda: cpu_seconds([zunova, "-"], stdin=numbers, cwd=work),
            "table": lambda: cpu_seconds([table], stdin=numbers, cwd=work),
        }, runs)
        empty = medians({
            "zunova": lambda: cpu_seconds([zunova, "-"], cwd=work),
            "table": lambda: cpu_seconds([table], cwd=work),
        }, runs * 4)
        report.ratio("`zunova -` / table look-up floor, per number",
                     (full["zunova"] - empty["zunova"]) / (full["table"] - empty["table"]))
        report.print()


def window(build, runs=21):
    zunova, label = os.path.join(build, "app/zunova"), os.path.join(build, "bench/floor_label")
    runtime_dir = tempfile.TemporaryDirectory()  # Qt wants one of its own, mode 0700
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", QT_QPA_GENERIC_PLUGINS="quitafterpaint",
               QT_PLUGIN_PATH=os.path.join(build, "bench/plugins"), XDG_RUNTIME_DIR=runtime_dir.name)
    report = Report("(b) the window's start to its first paint and exit, offscreen, CPU time of "
                    "whole processes, median of %d" % runs)
    start = medians({
        "zunova": lambda: cpu_seconds([zunova], cwd=SAMPLES, env=env, timeout=60),
        "label": lambda: cpu_seconds([label], env=env, timeout=60),
    }, runs)
    report.ratio("`zunova` (no argument) / Qt Widgets window with one Japanese label",
                 start["zunova"] / start["label"])
    report.print()


def scan(build, megabytes=25, runs=11):
    scan_file, parser = (os.path.join(build, p) for p in ("bench/scan_file", "bench/floor_parser"))
    with tempfile.TemporaryDirectory() as work:
        # Records of every other block, then the one asked for last.
        big, empty = os.path.join(work, "k.dat"), os.path.join(work, "empty.dat")
        blocks = [b"%d,1,1,2,2,3,3,4,4,9,9\r\n" % key for key in range(1000) if key != 123]
        chunk = b"".join(blocks)
        with open(big, "wb") as f:
            for _ in range(megabytes * 2**20 // len(chunk) + 1):
                f.write(chunk)
            f.write(b"123,1,2,3,4,5,6,7,8,9,9\r\n")
        open(empty, "wb").close()
        out = identical_output([[scan_file, big, "123", "4"], [parser, big, "123", "4"]],
                               None, work, work)
        if out != b"5\n":
            sys.exit("bench: the scan found %r, not the last record's 5" % out)

        size = os.path.getsize(big) / 2**20
        report = Report("(d) one scan of a %.0f MB data file, key last, CPU time above start-up, "
                        "median of %d" % (size, runs))
        jobs = {}
        for name, path in (("big", big), ("empty", empty)):
            jobs["scan " + name] = lambda path=path: cpu_seconds([scan_file, path, "123", "4"])
            jobs["parser " + name] = lambda path=path: cpu_seconds([parser, path, "123", "4"])
            jobs["wc " + name] = lambda path=path: cpu_seconds(["wc", "-l", path])
        m = medians(jobs, runs)
        cost = {what: m[what + " big"] - m[what + " empty"] for what in ("scan", "parser", "wc")}
        report.ratio("scan (lookup::FileScan) / comma-CR-LF parser floor",
                     cost["scan"] / cost["parser"])
        report.ratio("scan (lookup::FileScan) / `wc -l`", cost["scan"] / cost["wc"])
        report.print()


if __name__ == "__main__":
    if len(sys.argv) < 3 or sys.argv[1] not in ("cli", "window", "scan"):
        sys.exit(__doc__)
    globals()[sys.argv[1]](os.path.abspath(sys.argv[2]), *(int(a) for a in sys.argv[3:]))
