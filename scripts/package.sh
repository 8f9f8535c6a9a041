#!/usr/bin/env bash
# Installs what is missing, builds the release programs (no tests) and makes the Debian package
# build/package/lorim-config_VERSION_ARCH.deb with CPack. Install it with
#   sudo apt install ./build/package/lorim-config_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORIM_TESTS=OFF >/dev/null
cmake --build build/package
(cd build/package && cpack >/dev/null)
ls build/package/*.deb
