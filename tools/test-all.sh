#!/usr/bin/env bash
# Installs what the tests need (Debian 12), then builds and runs every check:
#   0. the source follows .clang-format;
#   1. the fuzz targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer), about a minute;
#   2. the whole test suite, GUI tests included, built with both sanitizers;
#   3. the whole test suite in the normal build, warnings as errors, benchmarks compiled.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ clang clang-format libclang-rt-14-dev qt6-base-dev libgtest-dev libgmock-dev
          libbenchmark-dev fonts-ipafont-gothic python3 python3-phonenumbers)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${packages[@]}"

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== Format"
find app bench fuzz lookup resources runtime tests windows \( -name '*.cpp' -o -name '*.h' \) \
    -exec clang-format --dry-run --Werror {} +

echo "== Fuzzing"
bash tools/fuzz.sh 20

echo "== Test suite with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZUNOVA_SANITIZE=ON -DZUNOVA_WERROR=ON \
    -DZUNOVA_TESTS=ON
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== Test suite"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUNOVA_WERROR=ON -DZUNOVA_BENCH=ON \
    -DZUNOVA_TESTS=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
