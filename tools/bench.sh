#!/usr/bin/env bash
# Builds the benchmarks optimised and runs them; each prints its ratios to the floor last.
# Extra arguments go to both Google Benchmark programs (for example --benchmark_repetitions=5).
# Then, as whole processes against floor programs (tools/bench_processes.py): the window's start
# against a Qt Widgets window with one Japanese label (b), and one scan of a 25 MB data file
# against a plain parser and `wc -l` (d).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset bench
cmake --build --preset bench -j"$(nproc)" --target lookup_bench startup_bench zunova floor_label \
    quitafterpaint floor_parser scan_file
build/bench/bench/lookup_bench "$@"
runtime=$(mktemp -d) # Qt wants a runtime folder of its own
trap 'rm -rf "$runtime"' EXIT
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$runtime build/bench/bench/startup_bench "$@"
/usr/bin/python3 tools/bench_processes.py window build/bench
/usr/bin/python3 tools/bench_processes.py scan build/bench
