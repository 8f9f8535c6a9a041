#!/usr/bin/env bash
# Installs what is missing, builds the release build, then shows the tool at work: starts the
# module simulator with its demo site on a loopback address, reads the site with lorim-cli into
# build/release/demo.cfg, prints it, and stops the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORIM_TESTS=ON >/dev/null
cmake --build build/release
bin=build/release/bin
port=${LORIM_DEMO_PORT:-10001}

"$bin/lorim-sim" --udp "127.0.0.2:$port" > build/release/sim.out &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  grep -q '^udp ' build/release/sim.out && break
  sleep 0.1
done

"$bin/lorim-cli" read build/release/demo.cfg --udp "127.0.0.2:$port" --password 8522 \
  --ini build/release/lorim-config.ini
"$bin/lorim-cli" dump build/release/demo.cfg
