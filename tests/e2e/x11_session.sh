# What the end-to-end scripts share, sourced after they set $out (their
# output folder) and made sure an X server is there: a window manager of
# their own, finding the program's window, its geometry, screenshots and
# key presses. Processes started through start_program are killed on exit.

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A window manager: full screen and focus need one. Ours only: the test may
# share a server with nothing else.
start_window_manager() {
  HOME=$out jwm >"$out/jwm.log" 2>&1 &
  pids+=($!)
  sleep 1
}

# Starts PROGRAM in folder DIR with its output in LOG, waits for its window
# and sets $program_pid and $wid.
start_program() {  # program dir log
  (cd "$2" && exec "$1") >"$3" 2>&1 &
  program_pid=$!
  pids+=($program_pid)
  wid=""
  for _ in $(seq 100); do
    wid=$(xdotool search --onlyvisible --pid "$program_pid" 2>/dev/null | head -n1 || true)
    [ -n "$wid" ] && return 0
    kill -0 "$program_pid" 2>/dev/null || fail "$(basename "$1") exited early: $(cat "$3")"
    sleep 0.1
  done
  fail "no window for $(basename "$1")"
}

geometry() {  # sets X Y WIDTH HEIGHT of the window (its client area, absolute)
  local info
  info=$(xwininfo -id "$wid")
  X=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  Y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  WIDTH=$(sed -n 's/.*Width: *//p' <<<"$info")
  HEIGHT=$(sed -n 's/.*Height: *//p' <<<"$info")
}

shot() {  # name: the whole screen into $out/name.png
  sleep 0.5
  import -window root "$out/$1.png"
}

focus() {
  xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
  sleep 0.3
}

# Holds a key down long enough for a program that polls once a frame to see
# it, then waits SETTLE seconds ($PRESS_SETTLE, or 0.3, unless given).
press() {  # keys [settle]
  xdotool keydown --delay 100 "$1"
  sleep 0.15
  xdotool keyup --delay 100 "$1"
  sleep "${2:-${PRESS_SETTLE:-0.3}}"
}

# The window's menu, from the keyboard, to full screen: the window must fill
# the screen. Sets PW PH LEFT TOP, where the 640 x 480 picture lies (scaled
# to fit with its aspect kept, centred), and takes the shot "fullscreen".
enter_full_screen() {
  local screen_w screen_h
  read -r screen_w screen_h < <(xdotool getdisplaygeometry)
  press alt+s
  press f
  sleep 1.5
  geometry
  [ "$WIDTH" -eq "$screen_w" ] && [ "$HEIGHT" -eq "$screen_h" ] ||
    fail "full screen: window is ${WIDTH}x${HEIGHT} at $X,$Y, expected ${screen_w}x${screen_h}"
  shot fullscreen
  PW=$screen_w
  PH=$((screen_w * 480 / 640))
  if [ "$PH" -gt "$screen_h" ]; then
    PH=$screen_h
    PW=$((screen_h * 640 / 480))
  fi
  LEFT=$(((screen_w - PW) / 2))
  TOP=$(((screen_h - PH) / 2))
}
