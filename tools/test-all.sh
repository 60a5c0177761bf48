#!/usr/bin/env bash
# Builds and runs every check (install the packages first with tools/install-deps.sh):
#   0. the source follows .clang-format;
#   1. the fuzz targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer), about a minute;
#   2. the whole test suite, GUI tests included, built with both sanitizers;
#   3. the whole test suite in the normal build, warnings as errors, benchmarks compiled (it takes
#      the manual's pictures too, into the build folder: tools/pictures.sh);
#   4. the Debian packages: release build, cpack, real installs (the command line alone, then the
#      window), validation, lintian, removal.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

echo "== Format"
find app bench console fuzz list lookup resources runtime tests textlist tools windows workbook \( -name '*.cpp' -o -name '*.h' \) \
    -exec clang-format --dry-run --Werror {} +

echo "== Fuzzing"
bash tools/fuzz.sh 20

echo "== Test suite with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset asan
cmake --build --preset asan -j"$jobs"
ctest --preset asan -j"$jobs"

echo "== Test suite"
cmake --preset dev
cmake --build --preset dev -j"$jobs"
ctest --preset dev -j"$jobs"

echo "== Debian packages"
bash tools/package-check.sh
