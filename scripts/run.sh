#!/usr/bin/env bash
# Installs what is missing, builds the release build and starts the configuration tool.
# Arguments are passed to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORIM_TESTS=ON >/dev/null
cmake --build build/release
program=build/release/bin/lorim-config
if [ ! -x "$program" ]; then
  echo "run: the library is built; the program $program is not part of the project yet" >&2
  exit 0
fi
exec "$program" "$@"
