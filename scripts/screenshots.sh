#!/usr/bin/env bash
# Remakes the screenshots: runs the real lorim-config under Xvfb against the simulator's demo
# site, drives it from the keyboard and the mouse as a user would, and saves the windows it
# reaches as PNGs: the README's in docs/, the dialogs in build/screenshots/.
#   scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh --screenshots
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DLORIM_TESTS=ON >/dev/null
cmake --build build/release
. scripts/demo.sh
mkdir -p docs build/screenshots

display=:${LORIM_SCREEN:-87}
Xvfb "$display" -screen 0 1280x860x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
unset WAYLAND_DISPLAY
start_demo_module
trap 'kill $app $sim $xvfb 2>/dev/null; wait 2>/dev/null || true' EXIT
prepare_demo_ini

# Saves window $1 as $2.png.
shot() {
  sleep 0.7
  xwd -silent -id "$1" | xwdtopnm 2>/dev/null | pnmtopng > "$2.png"
  echo "$2.png"
}
# The window whose title is $1, once it is there.
window() { xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1; }

"$bin/lorim-config" &
app=$!
start=$(window 'Режим работы')
xdotool windowfocus --sync "$start"
shot "$start" docs/start-window
xdotool key Down Tab space
shot "$(window 'Настройка связи')" build/screenshots/link-settings
xdotool key Escape
# Every dialog as it opens on the demo site.
"$bin/lorim_screens" build/screenshots
xdotool windowfocus --sync "$start"
xdotool key Return
editor=$(window 'Конфигурирование ЛОРИМ')
sleep 2 # the read of the demo site
shot "$editor" docs/editor
# Settings > Access settings, through the menu bar.
xdotool mousemove --window "$editor" 200 9 click 1
sleep 0.3
xdotool mousemove --window "$editor" 240 57 click 1
shot "$(window 'Настройка доступа')" build/screenshots/access
xdotool key Escape

# A change the module cannot finish: the simulator falls silent once it has deleted relay 1 of
# the module. One box says what happened, and the editor is marked as out of step.
kill "$sim"
wait "$sim" 2>/dev/null || true
"$bin/lorim-sim" --udp "127.0.0.2:$port" --silent-after 10 > build/release/sim.out &
sim=$!
sleep 0.5
xdotool windowfocus --sync "$editor"
xdotool mousemove --window "$editor" 899 178 click 1 # relay 1: "Изменить"
relay=$(window 'Настройка реле')
eval "$(xdotool getwindowgeometry --shell "$relay")"
xdotool mousemove "$((X + 220))" "$((Y + 107))" click --repeat 3 1 # the delay
xdotool key ctrl+a
xdotool type 80
xdotool mousemove "$((X + 230))" "$((Y + 147))" click 1 # "ОК"
xdotool windowfocus --sync "$(window 'Внимание')"
xdotool key Return
box=$(xdotool search --sync --onlyvisible --name '^ЛОРИМ$' | head -n 1)
shot "$box" build/screenshots/write-error-link-lost
xdotool key Return
shot "$(window 'Конфигурирование ЛОРИМ — не совпадает с модулем')" build/screenshots/editor-out-of-step
