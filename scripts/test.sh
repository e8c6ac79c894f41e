#!/bin/sh
# Installs what the tests need, builds everything and runs every test.
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh --test
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKARVEL_TESTS=ON
cmake --build build
cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j2
# The Debian package: built from this tree, installed, tried and removed again.
(cd .. && ./scripts/test-package.sh build)
