#!/usr/bin/env bash
# Installs what is missing, builds the release build, starts the module simulator with its demo
# site on 127.0.0.2 and opens lorim-config pointed at it; closing the program stops the
# simulator. Without a display it shows the command-line tool at work instead: it reads the
# demo site into build/release/demo.cfg and prints it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORIM_TESTS=ON >/dev/null
cmake --build build/release
. scripts/demo.sh
start_demo_module
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display (DISPLAY and WAYLAND_DISPLAY are empty), so lorim-cli reads the demo site instead of the windows"
  read_demo_site
  "$bin/lorim-cli" dump "$demo"
  exit 0
fi
prepare_demo_ini
"$bin/lorim-config"
