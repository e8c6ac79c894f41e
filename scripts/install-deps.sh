#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages that building, running and testing need.
# Run as root. Pass --test to add what only the tests use.
set -e
export DEBIAN_FRONTEND=noninteractive
packages="build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-serialport-dev libgl-dev libxkbcommon-dev qt6-gtk-platformtheme
  libpugixml-dev libzip-dev zlib1g-dev zipcmp zipmerge ziptool
  socat iputils-ping fonts-dejavu-core xdg-utils qt6-translations-l10n"
# clang, its run-time libraries and llvm-symbolizer: the fuzz targets (libFuzzer).
test_packages="libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool imagemagick
  python3-openpyxl libxml2-utils clang libclang-rt-14-dev llvm"
# Qt PDF and its widgets: the built-in viewer of the help documents (the
# print tests also draw printed pages with it). pdftotext and pdfinfo
# (poppler-utils): the print tests read the printed text back.
packages="$packages qt6-pdf-dev"
# Qt Charts: the chart of the comparison window. Its CMake files need those
# of Qt OpenGL, which Debian's qt6-charts-dev does not pull in.
packages="$packages qt6-charts-dev libqt6opengl6-dev"
test_packages="$test_packages poppler-utils"
# The installed icons; the package test's tools (scripts/test-package.sh).
packages="$packages librsvg2-bin"
# The site register: Qt SQL's SQLite driver (QSQLITE); sqlite3, the shell
# to look into a register by hand.
packages="$packages libqt6sql6-sqlite"
test_packages="$test_packages sqlite3"
# A register shared on a PostgreSQL server: Qt SQL's QPSQL driver; the
# server programs (initdb, pg_ctl) for the tests that start their own.
packages="$packages libqt6sql6-psql"
test_packages="$test_packages postgresql"
test_packages="$test_packages dpkg-dev desktop-file-utils appstream man-db shared-mime-info libglib2.0-bin bash-completion"
# The quality gates of scripts/test.sh: the package's lint, the C++ format.
test_packages="$test_packages lintian clang-format"
if [ "$1" = "--test" ]; then packages="$packages $test_packages"; fi
need=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need="$need $p"
done
if [ -n "$need" ]; then
  apt-get update
  apt-get install -y --no-install-recommends $need
fi
if [ "$1" = "--test" ] && ! command -v soffice >/dev/null 2>&1; then
  # Used to check that exported workbooks open in a real spreadsheet program.
  apt-get install -y --no-install-recommends libreoffice-calc-nogui || \
    echo "libreoffice-calc-nogui could not be installed: the spreadsheet check will be skipped"
fi
