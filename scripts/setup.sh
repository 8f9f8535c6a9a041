#!/usr/bin/env bash
# Installs every Debian package the project needs to build and test. Idempotent: when all are
# present it prints nothing and changes nothing. Run as root (or with sudo available).
#   scripts/setup.sh [--screenshots]   the second also installs what the screenshot script needs
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libqt6sql6-sqlite libgl-dev
  qt6-translations-l10n fonts-dejavu-core
  xvfb x11-utils xdotool dbus-x11 at-spi2-core python3-pyatspi
  dpkg-dev file desktop-file-utils appstream man-db lintian
  libgtest-dev libgmock-dev googletest
  libsqlite3-dev sqlite3
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix python3
)
if [ "${1:-}" = --screenshots ]; then
  packages+=(x11-apps netpbm)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
