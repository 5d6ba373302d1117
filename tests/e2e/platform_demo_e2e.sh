#!/usr/bin/env bash
# The platform demo in a real X server: its window shows the colour-keyed
# pattern at 640 x 480 below the menu bar; the menu, driven by the keyboard,
# switches to full screen (the picture scaled to the whole screen) and back;
# closing the window ends the program with status 0.
#   platform_demo_e2e.sh PROGRAM OUTPUT_DIR
set -euo pipefail
program=$(realpath "$1")
out=${2:-$(mktemp -d)}
mkdir -p "$out"

# Without an X server, run again inside one of our own.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

source "$(dirname "$(realpath "$0")")/x11_session.sh"
start_window_manager
start_program "$program" "$out" "$out/demo.log"
demo=$program_pid

# The colour of screen pixel (x, y) in SHOT as RRGGBB.
pixel() {
  convert "$1" -format "%[hex:u.p{$2,$3}]" info: | cut -c1-6 | tr "A-F" "a-f"
}

expect_pixel() {  # shot x y colour what
  local got
  got=$(pixel "$1" "$2" "$3")
  [ "$got" = "$4" ] || fail "$5: pixel ($2, $3) is $got, expected $4 (see $1)"
}

# The pattern in the client area at (cx, cy) + client coordinates, scaled by
# num/den: the red frame and a yellow cell of the still sprite at (8, 8), and
# a transparent cell that shows the dark blue background through it.
check_pattern() {  # shot left top num den what
  local s=$1 l=$2 t=$3 n=$4 d=$5
  expect_pixel "$s" $((l + 12 * n / d)) $((t + 12 * n / d)) ff0000 "$6: sprite frame"
  expect_pixel "$s" $((l + 28 * n / d)) $((t + 28 * n / d)) ffff00 "$6: yellow cell"
  expect_pixel "$s" $((l + 36 * n / d)) $((t + 28 * n / d)) 000040 "$6: transparent cell"
  expect_pixel "$s" $((l + 600 * n / d)) $((t + 20 * n / d)) 000040 "$6: background"
}

check_window() {  # what
  geometry
  [ "$WIDTH" -eq 640 ] && [ "$HEIGHT" -eq 500 ] || fail "$1: window is ${WIDTH}x${HEIGHT}, expected 640x500"
  shot "$1"
  expect_pixel "$out/$1.png" $((X + 600)) $((Y + 5)) d4d0c8 "$1: menu bar"
  check_pattern "$out/$1.png" "$X" $((Y + 20)) 1 1 "$1"
}

sleep 1
focus
check_window window

# Screen mode → full screen, with the keyboard.
enter_full_screen
pw=$PW ph=$PH left=$LEFT top=$TOP
check_pattern "$out/fullscreen.png" "$left" "$top" "$pw" 640 "full screen"
if [ "$top" -gt 0 ]; then
  expect_pixel "$out/fullscreen.png" 5 $((top / 2)) 000000 "full screen: letterbox"
fi

# The menu shows over the full-screen picture while it is open; then back
# to the window.
focus
press alt+s
shot fullscreen-menu
expect_pixel "$out/fullscreen-menu.png" $((left + 600)) 5 d4d0c8 "full screen: menu bar"
press w
sleep 1.5
check_window window-again

# Closing the window ends the program.
focus
xdotool key --delay 100 alt+F4 || true
for _ in $(seq 50); do
  kill -0 "$demo" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$demo" 2>/dev/null; then
  fail "the demo did not end when its window was closed"
fi
wait "$demo" && status=0 || status=$?
[ "$status" -eq 0 ] || fail "the demo ended with status $status: $(cat "$out/demo.log")"
echo "PASS: screenshots in $out"
