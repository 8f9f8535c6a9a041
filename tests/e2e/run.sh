#!/usr/bin/env bash
# The end-to-end session: a real lorim-sim and lorim-config under Xvfb with the accessibility
# bus, driven by tests/e2e/session.py as a screen reader would; lorim-cli then checks that what
# the simulator saved differs from the demo site by exactly tests/e2e/session.expected.
#   tests/e2e/run.sh BIN_FOLDER
set -euo pipefail
bin=$(cd "$1" && pwd)
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
# A loaded machine may take seconds to bring the display up; the program aborts without one.
for _ in $(seq 300); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start on $display" >&2; exit 1; }
eval "$(dbus-launch --sh-syntax)"
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
pids+=($!)
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$work XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
unset WAYLAND_DISPLAY

# The module, saving what it holds when the session ends.
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("0.0.0.0",0)); print(s.getsockname()[1])')
"$bin/lorim-sim" --udp "127.0.0.2:$port" --save "$work/module.cfg" > "$work/module.out" &
pids+=($!)
for _ in $(seq 50); do grep -q '^udp ' "$work/module.out" && break; sleep 0.1; done

# The program's folder: the programs, the template and an INI file whose catalogue lists a file
# with this module's password, so that real-time mode logs in by itself.
app=$work/app
mkdir -p "$app"
cp "$bin/lorim-config" "$bin/lorim-cli" "$bin/config.md_" "$app/"
LORIM_PASSWORD=8522 "$app/lorim-cli" read "$work/known.cfg" --udp "127.0.0.2:$port" \
  --ini "$work/cli.ini" >/dev/null
printf '[Link]\nType=1\nIP=127.0.0.2\nPort=%s\n\n[Config]\nCount=1\nPath1=%s\nName1=known\n' \
  "$port" "$work/known.cfg" > "$app/lorim-config.ini"
"$app/lorim-config" > "$work/app.out" 2>&1 &
pids+=($!)
"$app/lorim-cli" dump "$work/known.cfg" > "$work/before.txt"
/usr/bin/python3 "$here/session.py" "$work/before.txt"

grep -q '^clock: ' "$work/module.out" || { echo "the clock was not set" >&2; exit 1; }
"$app/lorim-cli" dump "$work/module.cfg" > "$work/after.txt"
/usr/bin/python3 "$here/dumpdiff.py" "$work/before.txt" "$work/after.txt" "$here/session.expected"
