#!/usr/bin/env bash
# Runs an end-to-end session against the real programs: lorim-sim processes, lorim-config under
# Xvfb with the accessibility bus, driven by tests/e2e/SESSION.py, then checks with lorim-cli.
#   tests/e2e/run.sh BIN_FOLDER SESSION
set -euo pipefail
bin=$(cd "$1" && pwd)
session=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
pids=()
cleanup() {
  local rc=$?
  # A failed session shows what the programs printed.
  if [ "$rc" -ne 0 ]; then
    for f in "$work"/*.out; do [ -s "$f" ] && { echo "== $(basename "$f")"; tail -n 40 "$f"; }; done >&2
  fi
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [ -n "${DBUS_SESSION_BUS_PID:-}" ] && kill "$DBUS_SESSION_BUS_PID" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A display of our own, a session bus and the accessibility bus on it.
for n in $(seq 100 140); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=:$n; break; }
done
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
eval "$(dbus-launch --sh-syntax)"
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$work XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
unset WAYLAND_DISPLAY

# Starts a simulator: sim NAME PORT [options]; waits until it listens.
sim() {
  local name=$1 port=$2
  shift 2
  "$bin/lorim-sim" --udp "127.0.0.2:$port" "$@" > "$work/$name.out" &
  pids+=($!)
  for _ in $(seq 50); do grep -q '^udp ' "$work/$name.out" && return 0; sleep 0.1; done
  echo "$name did not start" >&2
  return 1
}
free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("0.0.0.0",0)); print(s.getsockname()[1])'; }

# The program's folder: the programs and the template, and an INI file of the session's own.
app=$work/app
mkdir -p "$app"
cp "$bin/lorim-config" "$bin/lorim-cli" "$bin/config.md_" "$app/"

export E2E_WORK=$work E2E_APP=$app E2E_BIN=$bin
. "$here/$session.sh"
