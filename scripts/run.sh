#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what the program needs, builds it and starts it.
#
# By default it starts a demonstration: the instrument simulator (an RQ6102
# holding the project's sample files) on this machine, and the program from a
# demo folder (build/demo/) whose settings point at it. The program's own
# folder (build/karvel/) and its settings are not touched.
#
#   ./scripts/run.sh            demonstration with the simulator
#   ./scripts/run.sh --real     the program from build/karvel/, no simulator
# Further arguments go to the program (e.g. a .BUS file to open).
set -e
cd "$(dirname "$0")/.."
real=0
if [ "$1" = "--real" ]; then real=1; shift; fi
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKARVEL_TESTS=OFF -DKARVEL_BENCH=OFF
cmake --build build
if [ "$real" = 1 ]; then exec ./build/karvel/karvel "$@"; fi

demo=build/demo
rm -rf "$demo"
cp -r build/karvel "$demo"
rm -f "$demo/karvel.ini"
samples=resources/samples

# The simulator listens on TCP port 23, the instrument's, when this account
# may listen there, else on any free port. The settings written below name
# that port; the communication dialog shows it beside the IP address and
# keeps it, so its Connect, the toolbar's connect button and Options >
# Connect all reach the simulator.
start_sim() {
  "$demo/karvel-sim" --tcp "$1" --family 2 --files "$samples" --files "$samples/RQ6102" \
    --sd-files "$samples/RQ6102" --log "$demo/simulator.log" >"$demo/simulator.out" 2>&1 </dev/null &
  sim=$!
  i=0
  while [ $i -lt 50 ]; do
    if grep -q '^ready' "$demo/simulator.out" 2>/dev/null; then return 0; fi
    if ! kill -0 "$sim" 2>/dev/null; then return 1; fi
    sleep 0.1
    i=$((i + 1))
  done
  kill "$sim" 2>/dev/null || true
  return 1
}
if ! start_sim 23; then start_sim 0; fi
port=$(sed -n 's/^tcp //p' "$demo/simulator.out")
trap 'kill "$sim" 2>/dev/null || true' EXIT INT TERM

# Settings of the demo folder: English, chosen; Ethernet to the simulator.
cat >"$demo/karvel.ini" <<INI
1 1
$PWD/$demo/
1
2
ASRL1
USB
TCPIP0::127.0.0.1::$port::SOCKET
40
40
700
1000
0
INI
echo "Simulated RQ6102 on TCPIP0::127.0.0.1::$port::SOCKET (log: $demo/simulator.log)"
./"$demo"/karvel "$@"
