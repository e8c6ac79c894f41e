#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the program and every test with AddressSanitizer and UBSan in
# build-asan/ and runs the whole test suite there. Any undefined behaviour
# stops the program that met it, so the test fails. A cheap build: clang++
# (three times faster than g++ here), -O0, line tables only (stack traces keep
# their file and line), no benchmarks.
set -e
cd "$(dirname "$0")/.."
cmake -S . -B build-asan -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DKARVEL_SANITIZE=ON \
  -DKARVEL_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
  -DKARVEL_WERROR="${KARVEL_WERROR:-OFF}" -DCMAKE_CXX_FLAGS_DEBUG="-O0 -gline-tables-only"
cmake --build build-asan
cd build-asan
# A report of undefined behaviour says how the program got there.
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
# Leaks inside the libraries the program uses are listed there, with why.
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$(pwd)/../scripts/lsan.supp}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600 -j2
