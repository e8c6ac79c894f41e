#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every benchmark program in the given folder, one after the other.
# The folder also holds the build's own sub-folders (bench_*_autogen): only
# executable files are programs.
set -e
dir=${1:-build/bench}
ran=0
for b in "$dir"/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
  ran=$((ran + 1))
done
echo "== $ran benchmarks run"
[ "$ran" -gt 0 ]
