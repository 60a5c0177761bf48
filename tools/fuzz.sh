#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer and
# runs each from the checked-in seeds. Usage: tools/fuzz.sh [seconds-per-target, default 20]
set -euo pipefail
cd "$(dirname "$0")/.."

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZUNOVA_FUZZ=ON -DZUNOVA_TESTS=OFF -DZUNOVA_WERROR=ON -DZUNOVA_FUZZ_SECONDS="${1:-20}"
cmake --build build-fuzz -j"$(nproc)" --target fuzz_hanbetsu fuzz_conversion fuzz_chousa
ctest --test-dir build-fuzz --output-on-failure
