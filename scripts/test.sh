#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what the tests need, builds everything and runs every test; then
# the Debian package built, installed, tried and removed (scripts/test-package.sh),
# the same tests built with AddressSanitizer and UBSan (scripts/sanitize.sh),
# then every fuzz target for FUZZ_SECONDS each (30 by default, scripts/fuzz.sh).
# Before the long build, the quick gates: every source file has its licence
# line (scripts/spdx.py) and every C++ file its format (scripts/check-format.sh).
# Every build here treats a compiler warning as an error (KARVEL_WERROR).
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh --test
python3 scripts/spdx.py --check
./scripts/check-format.sh
export KARVEL_WERROR=ON
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKARVEL_TESTS=ON -DKARVEL_WERROR=ON
cmake --build build
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j2)
# The Debian package: built from this tree, installed, tried and removed again.
./scripts/test-package.sh build
./scripts/sanitize.sh
./scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
