#!/bin/sh
# Installs what the tests need, builds everything and runs every test; then
# the same tests built with AddressSanitizer and UBSan (scripts/sanitize.sh),
# then every fuzz target for FUZZ_SECONDS each (30 by default, scripts/fuzz.sh).
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh --test
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j2)
./scripts/sanitize.sh
./scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
