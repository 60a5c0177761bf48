#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer and
# runs each for a bounded time from the checked-in seeds. Usage: tools/fuzz.sh [seconds-per-target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZUNOVA_FUZZ=ON -DZUNOVA_TESTS=OFF -DZUNOVA_WERROR=ON
cmake --build build-fuzz -j"$(nproc)" --target fuzz_hanbetsu fuzz_conversion fuzz_chousa

for target in hanbetsu conversion chousa; do
    # New inputs go to a scratch folder; the checked-in seeds stay as they are.
    scratch=$(mktemp -d)
    echo "== fuzz_$target for ${seconds}s"
    build-fuzz/fuzz/fuzz_$target -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$PWD/build-fuzz/fuzz_$target-" "$scratch" "$PWD/fuzz/corpus/$target" 2>&1 | tail -n 15
    rm -rf "$scratch"
done
