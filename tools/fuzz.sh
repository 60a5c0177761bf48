#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer and
# runs each from the checked-in seeds. Usage: tools/fuzz.sh [seconds-per-target, default 20]
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset fuzz -DZUNOVA_FUZZ_SECONDS="${1:-20}"
# The fuzz targets alone: the window and the tests are built and checked by the other presets.
cmake --build --preset fuzz -j"$(nproc)" --target fuzz_scan fuzz_conversion fuzz_query fuzz_bulk \
    fuzz_list
ctest --preset fuzz -j"$(nproc)"
