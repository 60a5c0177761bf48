#!/usr/bin/env bash
# Builds the benchmarks optimised and runs them; each prints its ratios to the floor last.
# Extra arguments go to both benchmark programs (for example --benchmark_repetitions=5).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset bench
cmake --build --preset bench -j"$(nproc)" --target lookup_bench startup_bench
build/bench/bench/lookup_bench "$@"
QT_QPA_PLATFORM=offscreen build/bench/bench/startup_bench "$@"
