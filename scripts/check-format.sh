#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that every C++ file under src, tests, tools, bench and fuzz is as
# clang-format (the style in .clang-format) would write it; lists those that
# are not and exits 1. scripts/test.sh runs it before the build.
#
#   scripts/check-format.sh          check
#   scripts/check-format.sh --fix    format them in place (clang-format -i)
set -e
cd "$(dirname "$0")/.."
CLANG_FORMAT=${CLANG_FORMAT:-clang-format}
command -v "$CLANG_FORMAT" >/dev/null 2>&1 || {
  echo "check-format.sh: $CLANG_FORMAT not found (Debian package clang-format)" >&2
  exit 2
}
case ${1:-} in
  '') fix=0 ;;
  --fix) fix=1 ;;
  *) echo "usage: scripts/check-format.sh [--fix]" >&2; exit 2 ;;
esac
list=$(mktemp)
trap 'rm -f "$list"' EXIT
# Names with blanks stay whole: NUL-separated from find to xargs.
find src tests tools bench fuzz -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z >"$list"
if [ "$fix" = 1 ]; then
  xargs -0 -r "$CLANG_FORMAT" -i <"$list"
  exit 0
fi
# One clang-format per file keeps the list of those that differ exact.
bad=$(xargs -0 -r -n 1 sh -c '"$0" --dry-run -Werror "$1" >/dev/null 2>&1 || echo "$1"' \
  "$CLANG_FORMAT" <"$list")
if [ -n "$bad" ]; then
  count=$(printf '%s\n' "$bad" | wc -l)
  echo "check-format.sh: $count C++ files are not formatted as .clang-format says" \
    "(scripts/check-format.sh --fix formats them; clang-format --dry-run FILE shows how):" >&2
  printf '%s\n' "$bad" | sed 's/^/  /' >&2
  exit 1
fi
echo "check-format.sh: $(tr -cd '\0' <"$list" | wc -c) C++ files formatted"
