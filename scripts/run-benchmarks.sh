#!/bin/sh
# Runs every benchmark program in the given folder, one after the other.
set -e
dir=${1:-build/bench}
for b in "$dir"/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
