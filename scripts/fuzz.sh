#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzz targets (clang++, libFuzzer, ASan and UBSan) in build-fuzz/
# and runs each one for SECONDS (default 30), one after the other.
#
#   ./scripts/fuzz.sh                    every target, 30 s each
#   ./scripts/fuzz.sh 3600 bus_loader    one target for an hour
#
# Targets: bus_loader result_reader result_export catalogue block_reader
# settings_reader.
# Inputs that reach new code collect in build-fuzz/corpus/<target>/ and are
# used again by the next run. Exits non-zero when a target crashes (or breaks
# one of its checks, or hangs); the input that did it is left in
# build-fuzz/crashes/<target>/ and the run's output in build-fuzz/logs/<target>.log.
# Reproduce one with: build-fuzz/fuzz/fuzz_<target> build-fuzz/crashes/<target>/crash-...
# FUZZ_FLAGS adds libFuzzer options, e.g. FUZZ_FLAGS=-max_len=100000 for longer inputs.
set -e
cd "$(dirname "$0")/.."
seconds=${1:-30}
[ $# -gt 0 ] && shift
case $seconds in
  '' | *[!0-9]*) echo "usage: scripts/fuzz.sh [SECONDS] [TARGET...]" >&2; exit 2 ;;
esac
targets=${*:-bus_loader result_reader result_export catalogue block_reader settings_reader}
tree=build-fuzz

# Line tables only: crash reports keep file and line, the build stays short.
cmake -S . -B "$tree" -G Ninja -DKARVEL_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
  -DKARVEL_WERROR="${KARVEL_WERROR:-OFF}" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only"
cmake --build "$tree"

# A report of undefined behaviour says how the program got there.
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
failed=""
for target in $targets; do
  program=$tree/fuzz/fuzz_$target
  if [ ! -x "$program" ]; then
    echo "fuzz.sh: no target $target" >&2
    exit 2
  fi
  mkdir -p "$tree/corpus/$target" "$tree/crashes/$target" "$tree/logs"
  # The growing corpus first (new inputs go there), then the seeds.
  corpora="$tree/corpus/$target"
  for seeds in "fuzz/corpus/$target" "$tree/fuzz/seeds/$target"; do
    [ -d "$seeds" ] && corpora="$corpora $seeds"
  done
  log=$tree/logs/$target.log
  echo "== $target: $seconds s"
  status=0
  # shellcheck disable=SC2086
  "./$program" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
    -dict="fuzz/$target.dict" -artifact_prefix="$tree/crashes/$target/" ${FUZZ_FLAGS:-} \
    $corpora >"$log" 2>&1 || status=$?
  # The last status line: executions, coverage (cov) and features (ft).
  grep -E '^#[0-9]+[[:space:]]+(DONE|pulse|NEW|REDUCE|INITED)' "$log" | tail -n 1 || true
  grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$log" || true
  if [ "$status" -ne 0 ]; then
    echo "== $target FAILED (exit $status); input in $tree/crashes/$target/, log in $log"
    tail -n 60 "$log"
    failed="$failed $target"
  fi
done

if [ -n "$failed" ]; then
  echo "fuzz.sh: failed:$failed" >&2
  exit 1
fi
echo "== every fuzz target ran without a crash"
