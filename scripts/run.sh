#!/bin/sh
# Installs what the program needs, builds it and starts it from its own folder.
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKARVEL_TESTS=OFF -DKARVEL_BENCH=OFF
cmake --build build
exec ./build/karvel/karvel "$@"
