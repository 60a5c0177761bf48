#!/usr/bin/env bash
# Installs everything the build, the tests, the fuzz targets, the benchmarks and the package
# check need (Debian 12).
# Run once per machine; tools/test-all.sh fetches nothing (it only installs and removes the
# package it built).
set -euo pipefail

packages=(cmake ninja-build g++ clang clang-format libclang-rt-14-dev qt6-base-dev qt6-svg-dev
          libgtest-dev libgmock-dev libbenchmark-dev libcsv-dev pkgconf libzip-dev libexpat1-dev
          qt6-l10n-tools
          fonts-ipafont-gothic qt6-translations-l10n python3 python3-phonenumbers python3-openpyxl
          libreoffice-calc-nogui xvfb xauth
          bash-completion dpkg-dev file lintian man-db desktop-file-utils appstream debootstrap)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${packages[@]}"
