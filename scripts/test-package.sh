#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from an already built tree, checks what it holds,
# installs it, runs the programs as an ordinary user and removes it again,
# leaving the machine's packages as they were. Run as root after the build;
# scripts/test.sh calls it after the unit tests.
#
#   scripts/test-package.sh [BUILD_DIR]      (default: build)
set -Eeuo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
started=$(date +%s)

step() { echo "== test-package: $* (at $(($(date +%s) - started)) s)"; }
fail() {
  echo "test-package: FAILED: $*" >&2
  exit 1
}
# Any other failing command stops the test too, and says where.
trap 'echo "test-package: FAILED at line $LINENO: $BASH_COMMAND" >&2' ERR
# update-mime-database, run by dpkg's trigger, syncs every file it writes:
# seconds on a busy disk, and nothing a test needs to survive a power cut.
export PKGSYSTEM_ENABLE_FSYNC=0
# Other work may install packages on this machine meanwhile: wait for dpkg's
# lock rather than fail, and remove only what this install brought.
apt=(apt-get -o DPkg::Lock::Timeout=300)
is_installed() { [[ $(dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null) == i* ]]; }

[ "$(id -u)" = 0 ] || fail "run as root: the package is installed and removed again"
[ -f "$build/CMakeCache.txt" ] || fail "$build is not a configured build tree"
grep -q '^KARVEL_PORTABLE:BOOL=ON' "$build/CMakeCache.txt" &&
  fail "$build is configured with KARVEL_PORTABLE=ON; the package needs the Linux layout"
if is_installed karvel; then
  fail "karvel is already installed on this machine; remove it first (apt-get remove karvel)"
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

work=$(mktemp -d /tmp/karvel-package.XXXXXX)
home=$(mktemp -d /tmp/karvel-home.XXXXXX)
chmod 755 "$work"
chown 65534:65534 "$home"
# Prefix of a command run as an ordinary user (nobody) with a bare
# environment. An array, not a function: started in the background, $! must
# be the program itself, not a shell around it.
as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups
  env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen)
pulled=""  # packages that the install brings besides karvel
pids=()
we_installed=0
cleanup() {
  status=$?
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [ "$we_installed" = 1 ]; then
    echo "test-package: removing the package after a failure" >&2
    "${apt[@]}" purge -y karvel $pulled >/dev/null 2>&1 || dpkg --purge karvel || true
  fi
  rm -rf "$work" "$home"
  exit $status
}
trap cleanup EXIT

step "building the package"
cmake --build "$build" -j2 >/dev/null
(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log"
  fail "cpack -G DEB"
}
deb="$work/karvel_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb") in: $(ls "$work")"
chmod 644 "$deb"

step "contents of $(basename "$deb")"
# Lines of "mode owner size date time path"; paths may hold blanks.
dpkg-deb -c "$deb" | sed -E 's/^([^ ]+ +){5}//; s|^\./|/|; s|/$||' | sort >"$work/contents"
expected="/usr/bin/karvel /usr/bin/karvel-cli /usr/bin/karvel-sim
  /usr/share/karvel/KARVEL.UIR /usr/share/karvel/karvel.xl
  /usr/share/karvel/bitmap/lin.bmp /usr/share/karvel/toolbar/open.bmp
  /usr/share/karvel/help/KARVEL_gb.pdf /usr/share/karvel/help/LIN_BUS_fr.pdf
  /usr/share/karvel/samples/LIN_PASS.HTM /usr/share/karvel/samples/RQ4102/LIN.BUS
  /usr/share/karvel/samples/RQ6102/LIN.bus
  /usr/share/applications/org.karvel.Karvel.desktop
  /usr/share/metainfo/org.karvel.Karvel.metainfo.xml
  /usr/share/mime/packages/org.karvel.Karvel.xml
  /usr/share/icons/hicolor/scalable/apps/org.karvel.Karvel.svg
  /usr/share/man/man1/karvel.1.gz /usr/share/man/man1/karvel-cli.1.gz /usr/share/man/man1/karvel-sim.1.gz
  /usr/share/bash-completion/completions/karvel-cli
  /usr/share/doc/karvel/copyright /usr/share/doc/karvel/changelog.Debian.gz
  /usr/share/doc/karvel/changelog.gz /usr/share/lintian/overrides/karvel"
sizes="16 22 24 32 48 64 128 256"
for size in $sizes; do expected="$expected /usr/share/icons/hicolor/${size}x${size}/apps/org.karvel.Karvel.png"; done
for path in $expected; do
  grep -qxF "$path" "$work/contents" || fail "the package lacks $path"
done
outside=$(grep -v -e '^\.$' -e '^/usr$' -e '^/usr/bin' -e '^/usr/share' "$work/contents" || true)
[ -z "$outside" ] || fail "files outside /usr/bin and /usr/share: $outside"
stray=$(grep -e '/\.git' -e '\.in$' "$work/contents" || true)
[ -z "$stray" ] || fail "files that do not belong in the package: $stray"
[ "$(grep -c '^/usr/share/karvel/help/' "$work/contents")" = \
  "$(grep -c '^/usr/share/karvel/help/.*\.pdf$' "$work/contents")" ] ||
  fail "the help folder holds something else than PDF documents"
[ "$(dpkg-deb -f "$deb" Package)" = karvel ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6serialport6 libqt6pdfwidgets6 libqt6charts6 libpugixml1v5 libzip4; do
  case "$depends" in *"$lib"*) ;; *) fail "Depends lacks $lib (dpkg-shlibdeps): $depends" ;; esac
done
# (Here-strings, not pipes, into grep -q: with pipefail, a writer cut off by
# grep's early exit would fail the check.)
grep -qF 'sudo usermod -aG dialout $USER' <<<"$(dpkg-deb -f "$deb" Description)" ||
  fail "the description does not tell how to reach the serial ports"
echo "Depends: $depends"

step "lintian"
# Every tag, pedantic and informational ones included: an error or a warning
# fails; the others are either fixed or overridden in
# packaging/debian/lintian-overrides with the reason, and an override that no
# longer matches anything is a stale one.
status=0
# As an ordinary user: lintian advises against root.
"${as_user[@]}" TMPDIR="$home" lintian -I --pedantic --tag-display-limit 0 --fail-on error,warning \
  "$deb" >"$work/lintian.log" 2>&1 || status=$?
cat "$work/lintian.log"
case $status in
  0) ;;
  2) fail "lintian reports errors or warnings (above)" ;;
  *) fail "lintian did not run (exit $status)" ;;
esac
! grep -q ' unused-override ' "$work/lintian.log" || fail "a lintian override is no longer used"
left=$(grep -E '^[IPX]: ' "$work/lintian.log" || true)
[ -z "$left" ] || fail "lintian tags neither fixed nor overridden: $left"

step "desktop entry, metadata, file types, icons, manual pages, completion"
root="$work/root"
dpkg-deb -x "$deb" "$root"
share="$root/usr/share"
# The copyright in Debian's machine-readable form, naming the licence; the
# changelogs compressed, the packaging's one at this version.
copyright="$share/doc/karvel/copyright"
head -1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "the copyright file is not in the machine-readable format"
grep -q '^License: GPL-3+$' "$copyright" || fail "the copyright file does not name GPL-3+"
first=$(gzip -dc "$share/doc/karvel/changelog.Debian.gz" | head -1)
[[ $first == "karvel ($version) "* ]] || fail "changelog.Debian.gz starts with '$first', not version $version"
gzip -dc "$share/doc/karvel/changelog.gz" | grep -q "^## $version " ||
  fail "changelog.gz (NEWS.md) has no entry for version $version"
grep -q '<project_license>GPL-3.0-or-later</project_license>' \
  "$share/metainfo/org.karvel.Karvel.metainfo.xml" || fail "the metadata does not name the licence"
desktop-file-validate "$share/applications/org.karvel.Karvel.desktop" ||
  fail "desktop-file-validate"
grep -qx 'Exec=karvel %f' "$share/applications/org.karvel.Karvel.desktop" || fail "Exec line"
appstreamcli validate --no-net "$share/metainfo/org.karvel.Karvel.metainfo.xml" ||
  fail "appstreamcli validate"
grep -q "<release version=\"$version\"" "$share/metainfo/org.karvel.Karvel.metainfo.xml" ||
  fail "the metadata has no release entry for version $version"
# The file types as the trigger will compile them, in a private database.
mkdir -p "$work/mime/packages"
cp "$share/mime/packages/org.karvel.Karvel.xml" "$work/mime/packages/"
XDG_DATA_DIRS="$work" update-mime-database "$work/mime" 2>"$work/mime.log" || fail "update-mime-database"
[ ! -s "$work/mime.log" ] || fail "update-mime-database: $(cat "$work/mime.log")"
grep -qx '50:application/x-tarvik-bus:\*\.bus' "$work/mime/globs2" || fail "no *.bus glob"
for size in $sizes; do
  png="$share/icons/hicolor/${size}x${size}/apps/org.karvel.Karvel.png"
  [ "$(identify -format '%wx%h' "$png")" = "${size}x${size}" ] || fail "$png is not ${size}x${size}"
done
for page in karvel karvel-cli karvel-sim; do
  file="$share/man/man1/$page.1.gz"
  # Keep the width fixed so that the check does not depend on the terminal.
  warnings=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null) || fail "man -l $page.1"
  [ -z "$warnings" ] || fail "man page $page.1: $warnings"
  text=$(MANWIDTH=80 man -l "$file" 2>/dev/null)
  case "$text" in *@*@*) fail "$page.1 has an unfilled @VALUE@" ;; esac
  grep -q /usr/share/karvel <<<"$text" || fail "$page.1 does not name /usr/share/karvel"
done
grep -q 'usermod -aG dialout' <<<"$(MANWIDTH=80 man -l "$share/man/man1/karvel.1.gz")" ||
  fail "karvel.1 does not tell how to reach the serial ports"
# Completion, in a bash without and with the bash-completion helpers.
mkdir -p "$work/files/sub dir"
touch "$work/files/a.bus" "$work/files/B.BUS" "$work/files/c.htm" "$work/files/D.HTM" "$work/files/e.txt"
complete_line() { # HELPERS(0|1) WORDS... ; the last word is the one under the cursor
  local helpers=$1
  shift
  bash --norc --noprofile -c '
    [ "$0" = 1 ] && . /usr/share/bash-completion/bash_completion
    . "'"$share"'/bash-completion/completions/karvel-cli"
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    _karvel_cli karvel-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf "%s\n" "${COMPREPLY[@]}" | LC_ALL=C sort | tr "\n" " " | sed "s/ $//"' \
    "$helpers" "$@" 2>/dev/null
}
expect_completion() { # EXPECTED WORDS...
  local expected=$1 helpers got
  shift
  for helpers in 0 1; do
    [ "$helpers" = 0 ] || [ -f /usr/share/bash-completion/bash_completion ] || continue
    got=$(complete_line "$helpers" "$@")
    [ "$got" = "$expected" ] ||
      fail "completing '$*' (helpers $helpers) gave '$got', not '$expected'"
  done
}
f="$work/files"
expect_completion "--help --version bus help instrument register result" karvel-cli ""
expect_completion "json" karvel-cli bus show x.bus --format=js
expect_completion "de" karvel-cli --language=d
expect_completion "set show speed voltage" karvel-cli --language de bus ""
expect_completion "bus instrument register result" karvel-cli help ""
expect_completion "compare export show" karvel-cli help result ""
expect_completion "set show speed voltage" karvel-cli bus ""
expect_completion "compare export show" karvel-cli result ""
expect_completion "--format --help --language --order --shrink --workbook" karvel-cli result compare a.htm --
expect_completion "date given" karvel-cli result compare a.htm b.htm --order ""
expect_completion "fetch identify list ports send" karvel-cli instrument ""
expect_completion "0 1 2 3 4 de en es fr it" karvel-cli result export x.htm y.xlsx --language ""
expect_completion "bus results" karvel-cli instrument fetch NAME --kind ""
expect_completion "0 1" karvel-cli instrument fetch NAME --kind bus --store ""
expect_completion "--address --format --help --kind --language --store --to" karvel-cli instrument fetch NAME --
expect_completion "--address --format --help --language --replace" karvel-cli instrument send x.bus --
expect_completion "--format --help --language --probe" karvel-cli instrument ports --
expect_completion "csv json text" karvel-cli bus show x.bus --format ""
expect_completion "bus results" karvel-cli instrument list ""
expect_completion "1 2 3" karvel-cli bus set x.bus 2 ""
expect_completion "$f/B.BUS $f/a.bus $f/sub dir" karvel-cli bus show "$f/"
expect_completion "$f/B.BUS $f/a.bus $f/sub dir" karvel-cli bus speed --title T "$f/"
expect_completion "$f/D.HTM $f/c.htm $f/sub dir" karvel-cli result export "$f/"
expect_completion "$f/D.HTM $f/c.htm $f/sub dir" karvel-cli result compare a.htm "$f/"
expect_completion "$f/B.BUS $f/D.HTM $f/a.bus $f/c.htm $f/e.txt $f/sub dir" \
  karvel-cli bus voltage x.bus 24 "$f/"
expect_completion "$f/sub dir" karvel-cli instrument fetch NAME --to "$f/"
case "$(complete_line 0 karvel-cli instrument identify --address "")" in
  *USB*TCPIP0::* | *TCPIP0::*USB*) ;;
  *) fail "completing --address does not offer USB and TCPIP0::" ;;
esac

step "installing"
we_installed=1
# New packages only: an upgrade of an installed one is not undone by a purge.
pulled=$("${apt[@]}" -s install --no-install-recommends "$deb" |
  awk '$1 == "Inst" && $2 != "karvel" && $3 ~ /^\(/ { print $2 }' | tr '\n' ' ')
[ -z "$pulled" ] || echo "also installs: $pulled"
"${apt[@]}" install -y --no-install-recommends "$deb" >"$work/install.log" 2>&1 || {
  cat "$work/install.log"
  fail "apt-get install $(basename "$deb")"
}
for program in karvel karvel-cli karvel-sim; do
  [ "$(command -v "$program")" = "/usr/bin/$program" ] || fail "$program is not /usr/bin/$program"
done
# dpkg's triggers have compiled the file types and the desktop's list of
# applications per type.
if command -v update-mime-database >/dev/null && command -v gio >/dev/null; then
  for sample in RQ4102/LIN.BUS:application/x-tarvik-bus RQ6102/LIN.bus:application/x-tarvik-bus \
    LIN_PASS.HTM:application/x-tarvik-result CAN_HS_PASS.HTM:application/x-tarvik-result; do
    type=$(gio info -a standard::content-type "/usr/share/karvel/samples/${sample%%:*}" |
      sed -n 's/^ *standard::content-type: //p')
    [ "$type" = "${sample#*:}" ] || fail "${sample%%:*} is $type, not ${sample#*:}"
  done
  printf '<html><body>a page</body></html>\n' >"$work/page.htm"
  type=$(gio info -a standard::content-type "$work/page.htm" | sed -n 's/^ *standard::content-type: //p')
  [ "$type" = text/html ] || fail "an ordinary .htm page became $type"
fi
if command -v update-desktop-database >/dev/null; then
  grep -q '^application/x-tarvik-bus=.*org.karvel.Karvel.desktop' /usr/share/applications/mimeinfo.cache ||
    fail "the desktop does not know that KARVEL opens bus definition files"
fi

step "hardening of the installed executables"
# Debian's build flags: stack protector, _FORTIFY_SOURCE, PIE, relro and
# immediate binding (each program is checked, the libraries they link to are not).
for program in karvel karvel-cli karvel-sim; do
  file=/usr/bin/$program
  symbols=$(nm -D "$file")
  grep -qw __stack_chk_fail <<<"$symbols" || fail "$program has no stack protector (__stack_chk_fail)"
  grep -qE '^ +U __[a-z_]+_chk(@|$)' <<<"$symbols" ||
    fail "$program calls no checked function (__*_chk): built without _FORTIFY_SOURCE?"
  [[ $(readelf -h "$file") == *"DYN (Position-Independent Executable file)"* ]] ||
    fail "$program is not a position-independent executable"
  readelf -lW "$file" | grep -q GNU_RELRO || fail "$program has no read-only relocations (relro)"
  dynamic=$(readelf -dW "$file")
  grep -qE '\(FLAGS\).*BIND_NOW|\(FLAGS_1\).*NOW' <<<"$dynamic" ||
    fail "$program is not linked with -z now (BIND_NOW)"
  # Stripped: the symbols stay in the build tree.
  ! readelf -SW "$file" | grep -q ' \.debug_info ' || fail "$program is not stripped"
done

step "karvel-cli as an ordinary user"
status=0
"${as_user[@]}" karvel-cli >/dev/null 2>"$work/usage" || status=$?
[ "$status" = 2 ] && grep -q '^usage: karvel-cli bus show FILE' "$work/usage" ||
  fail "karvel-cli without arguments: exit $status, $(cat "$work/usage")"
"${as_user[@]}" karvel-cli bus show /usr/share/karvel/samples/RQ6102/LIN.bus >"$work/show" ||
  fail "karvel-cli bus show"
cat "$work/show"
grep -qxF "$(printf 'title\tLIN 19200 bit/s')" "$work/show" || fail "bus show: title"
[ "$(grep -c '^row [0-9]' "$work/show")" = 5 ] || fail "bus show: not 5 measurement rows"
grep -qxF "$(printf 'row 1\tDominant level\t---\t2.40 V\t10.0 %%')" "$work/show" || fail "bus show: row 1"
grep -qxF "$(printf 'frequency\t19.200 kHz')" "$work/show" || fail "bus show: frequency"
picture=$(sed -n 's/^picture\t//p' "$work/show")
[ "$picture" = /usr/share/karvel/bitmap/lin.bmp ] && [ -f "$picture" ] ||
  fail "bus show: the picture $picture is not the installed lin.bmp"
"${as_user[@]}" karvel-cli result export /usr/share/karvel/samples/LIN_PASS.HTM "$home/lin.xlsx" ||
  fail "karvel-cli result export (the workbook template in /usr/share/karvel)"
[ -s "$home/lin.xlsx" ] || fail "result export wrote no workbook"
# The register's default place (the user's data folder) and Qt's SQLite driver
# as installed.
"${as_user[@]}" karvel-cli register add /usr/share/karvel/samples/LIN_PASS.HTM --site Plant \
  --segment Line1 >"$work/filed" || fail "karvel-cli register add"
[ -s "$home/.local/share/karvel/register.sqlite" ] ||
  fail "register add made no register in ~/.local/share/karvel"
"${as_user[@]}" karvel-cli register list --format json | grep -q '"file": "LIN_PASS.HTM"' ||
  fail "register list does not show the filed result"
# The report paints with the installed fonts on the offscreen platform (no
# display): a PDF whose text names the site.
env -u DISPLAY "${as_user[@]}" karvel-cli register report --site Plant "$home/plant.pdf" ||
  fail "karvel-cli register report"
pdftotext "$home/plant.pdf" - | grep -q Plant || fail "the report's text does not name the site"

step "karvel-sim and karvel-cli over TCP"
"${as_user[@]}" karvel-sim --tcp 0 --files /usr/share/karvel/samples/RQ6102 >"$home/sim.out" 2>&1 </dev/null &
pids+=($!)
for _ in $(seq 100); do
  grep -q '^ready' "$home/sim.out" && break
  kill -0 "${pids[-1]}" 2>/dev/null || break
  sleep 0.1
done
grep -q '^ready' "$home/sim.out" || fail "karvel-sim did not start: $(cat "$home/sim.out")"
address="TCPIP0::127.0.0.1::$(sed -n 's/^tcp //p' "$home/sim.out")::SOCKET"
"${as_user[@]}" karvel-cli instrument list bus --address "$address" >"$work/list" || fail "instrument list"
grep -q "^LIN.bus$(printf '\t')0$" "$work/list" || fail "instrument list: no LIN.bus in $(cat "$work/list")"
"${as_user[@]}" karvel-cli instrument fetch LIN.bus --kind bus --to "$home" --address "$address" >/dev/null ||
  fail "instrument fetch"
cmp -s "$home/LIN.bus" /usr/share/karvel/samples/RQ6102/LIN.bus || fail "the fetched LIN.bus differs"
kill "${pids[-1]}"
wait "${pids[-1]}" 2>/dev/null || true

step "karvel --help and --version without a display"
# As the user, without QT_QPA_PLATFORM as well: Qt would find no display.
no_display=()
for word in "${as_user[@]}"; do
  [ "$word" = QT_QPA_PLATFORM=offscreen ] || no_display+=("$word")
done
"${no_display[@]}" karvel --help >"$work/help" || fail "karvel --help without a display"
grep -q '^Usage: karvel \[FILE\]' "$work/help" || fail "karvel --help: $(cat "$work/help")"
[ "$("${no_display[@]}" karvel --version)" = "karvel $version" ] || fail "karvel --version"

step "karvel as an ordinary user, offscreen"
"${as_user[@]}" karvel >"$home/karvel.out" 2>&1 </dev/null &
pid=$!
pids+=("$pid")
# The first start shows the language chooser and waits for an answer.
sleep 3
kill -0 "$pid" 2>/dev/null || fail "karvel ended at its first start: $(cat "$home/karvel.out")"
# Still running could also be a message box about a missing bundle: the
# bundle must be mapped, from the installed place.
grep -q ' /usr/share/karvel/KARVEL.UIR$' "/proc/$pid/maps" ||
  fail "karvel runs without /usr/share/karvel/KARVEL.UIR: $(cat "$home/karvel.out")"
# Installed mode: the user's settings and cache folders, made at start-up.
[ -d "$home/.config/karvel" ] && [ -d "$home/.cache/karvel" ] ||
  fail "karvel made no ~/.config/karvel and ~/.cache/karvel: $(cat "$home/karvel.out")"
kill "$pid"
wait "$pid" 2>/dev/null || true

step "removing"
dpkg -L karvel | sort >"$work/owned"
"${apt[@]}" purge -y karvel $pulled >"$work/remove.log" 2>&1 || {
  cat "$work/remove.log"
  fail "apt-get purge karvel"
}
we_installed=0
left=$(while read -r path; do if [ -f "$path" ]; then echo "$path"; fi; done <"$work/owned")
[ -z "$left" ] || fail "files left after removal: $left"
[ ! -e /usr/share/karvel ] || fail "/usr/share/karvel is left after removal"
if [ -f /usr/share/applications/mimeinfo.cache ]; then
  ! grep -q org.karvel.Karvel /usr/share/applications/mimeinfo.cache ||
    fail "the desktop still lists KARVEL after removal"
fi
[ ! -e /usr/share/mime/application/x-tarvik-bus.xml ] || fail "the bus file type is left after removal"
for package in karvel $pulled; do
  ! is_installed "$package" || fail "$package is still installed"
done

echo "== test-package: passed in $(($(date +%s) - started)) s"
