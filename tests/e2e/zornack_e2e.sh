#!/usr/bin/env bash
# The game in a real X server, played from the keyboard: the title shows as
# the whole-game tests' reference picture; Z starts a game through the bomb
# select; play shows the stage and the status display; Escape returns to the
# title; the menu switches to full screen (the picture scaled to the screen)
# and back; Escape on the title ends the program with status 0, leaving
# ranking.txt behind and the game played as a replay that verifies and can
# be watched. In full screen, the focus taken away and given back (no window
# covering it) leaves the game drawing: Z shows the bomb select. Without a
# display it says so and ends with status 1.
#   zornack_e2e.sh PROGRAM TITLE_REFERENCE_PNG OUTPUT_DIR
set -euo pipefail
program=$(realpath "$1")
reference=$(realpath "$2")
out=${3:-$(mktemp -d)}
mkdir -p "$out"

# Without an X server, run again inside one of our own.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

source "$(dirname "$(realpath "$0")")/x11_session.sh"

# Without a display the program says so and ends with status 1.
status=0
(cd "$out" && env -u DISPLAY -u WAYLAND_DISPLAY timeout 20 "$program") >"$out/no-display.log" 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "without a display the game ended with status $status: $(cat "$out/no-display.log")"
grep -q "zornack: no display available" "$out/no-display.log" || fail "without a display: $(cat "$out/no-display.log")"

# The game reads its sheets and waves beside the program, whatever the
# current folder; its ranking goes to the user folder, a fresh one here.
run="$out/run"
rm -rf "$run"
mkdir -p "$run"
export ZORNACK_USER_DIR="$run"

start_window_manager
# A window to give the focus to, under the game's.
xmessage -geometry 120x40+0+0 away >/dev/null 2>&1 &
pids+=($!)
start_program "$program" "$run" "$out/zornack.log"
game=$program_pid
[ -f "$run/ranking.txt" ] || fail "ranking.txt was not made at start-up"

read -r screen_w screen_h < <(xdotool getdisplaygeometry)

# Pixels in a rectangle of SHOT that are not black.
lit() {  # shot x y width height
  convert "$1" -crop "$4x$5+$2+$3" +repage -fill white +opaque black -colorspace gray \
    -format "%[fx:round(mean*w*h)]" info:
}

expect_lit() {  # shot x y width height at-least what
  local n
  n=$(lit "$1" "$2" "$3" "$4" "$5")
  [ "$n" -ge "$6" ] || fail "$7: $n lit pixels in $4x$5 at ($2, $3), expected at least $6 (see $1)"
}

expect_dark() {  # shot x y width height what
  local n
  n=$(lit "$1" "$2" "$3" "$4" "$5")
  [ "$n" -eq 0 ] || fail "$6: $n lit pixels in $4x$5 at ($2, $3), expected none (see $1)"
}

# The game's scenes change a frame after the key: give them a little longer.
PRESS_SETTLE=0.4

# The title in the window is the reference picture, pixel for pixel, above
# the scrolling credit line (which moves with time).
check_title() {  # what
  geometry
  [ "$WIDTH" -eq 640 ] && [ "$HEIGHT" -eq 500 ] || fail "$1: window is ${WIDTH}x${HEIGHT}, expected 640x500"
  shot "$1"
  convert "$out/$1.png" -crop "640x440+$X+$((Y + 20))" +repage "$out/$1-client.png"
  convert "$reference" -crop 640x440+0+0 +repage "$out/reference-top.png"
  local differ
  differ=$(compare -metric AE "$out/$1-client.png" "$out/reference-top.png" null: 2>&1 || true)
  [ "$differ" = "0" ] || fail "$1: $differ pixels differ from the reference title (see $out/$1.png)"
  expect_lit "$out/$1.png" $((X + 200)) $((Y + 20 + 460)) 240 16 300 "$1: credit line"
}

sleep 1
focus
check_title title

# Z: the bomb select with its demonstration; Z again: play.
press z
shot bomb-select
expect_lit "$out/bomb-select.png" $((X + 232)) $((Y + 20 + 60)) 176 16 300 "bomb select: heading"
expect_lit "$out/bomb-select.png" $((X + 312)) $((Y + 20 + 420)) 16 16 40 "bomb select: the ship"
press z
sleep 0.3
shot play
# Stage 1's three rows of small blocks, the score, the ship.
expect_lit "$out/play.png" $((X + 124)) $((Y + 20 + 30)) 392 24 1000 "play: stage 1"
expect_lit "$out/play.png" "$X" $((Y + 20)) 16 32 30 "play: score"
expect_lit "$out/play.png" "$X" $((Y + 20 + 464)) 96 16 200 "play: bombs left"
expect_lit "$out/play.png" $((X + 248)) $((Y + 20 + 232)) 144 16 300 "play: stage banner"

# Escape: back to the title, as it first was.
press Escape
check_title title-again

# Screen mode → full screen, with the keyboard.
enter_full_screen
pw=$PW ph=$PH left=$LEFT top=$TOP
s() { echo $(($1 * pw / 640)); }
expect_lit "$out/fullscreen.png" $((left + $(s 192))) $((top + $(s 80))) "$(s 256)" "$(s 96)" 8000 "full screen: logo"
expect_lit "$out/fullscreen.png" $((left + $(s 256))) $((top + $(s 300))) "$(s 144)" "$(s 16)" 500 \
  "full screen: menu"
expect_dark "$out/fullscreen.png" $((left + $(s 20))) $((top + $(s 200))) "$(s 150)" "$(s 80)" "full screen: background"
if [ "$top" -gt 0 ]; then
  expect_dark "$out/fullscreen.png" 0 0 "$screen_w" "$top" "full screen: letterbox"
fi

# The focus goes to the other window and comes back, without a raise: the
# full-screen game must draw again (its surfaces are restored) and react.
other=$(xdotool search --class xmessage | head -n1)
[ -n "$other" ] || fail "no window to give the focus to"
xdotool windowfocus --sync "$other"
sleep 0.5
xdotool windowfocus --sync "$wid"
sleep 0.5
press z 1
shot fullscreen-refocused
expect_lit "$out/fullscreen-refocused.png" $((left + $(s 232))) $((top + $(s 60))) "$(s 176)" "$(s 16)" 300 \
  "full screen after the focus came back: bomb select heading"
press Escape

focus
press alt+s
press w
sleep 1.5
check_title window-again

# Escape on the title ends the program.
focus
press Escape
for _ in $(seq 50); do
  kill -0 "$game" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$game" 2>/dev/null && fail "the game did not end on Escape"
wait "$game" && status=0 || status=$?
[ "$status" -eq 0 ] || fail "the game ended with status $status: $(cat "$out/zornack.log")"
lines=$(wc -l <"$run/ranking.txt")
[ "$lines" -eq 60 ] || fail "ranking.txt has $lines lines, expected 60"

# The game played was recorded; it replays to its results without a
# display, and watched in the window (eight times as fast) it ends the
# program when it ends, leaving the ranking as it was.
replays=("$run"/replays/*.zrp)
[ "${#replays[@]}" -eq 1 ] && [ -f "${replays[0]}" ] || fail "expected one replay in $run/replays"
env -u DISPLAY "$program" --replay "${replays[0]}" --verify >"$out/verify.log" 2>&1 ||
  fail "--verify: $(cat "$out/verify.log")"
ranking=$(md5sum <"$run/ranking.txt")
(cd "$run" && timeout 30 "$program" --replay "${replays[0]}" --speed 8) >"$out/watch.log" 2>&1 ||
  fail "watching the replay: $(cat "$out/watch.log")"
[ "$(md5sum <"$run/ranking.txt")" = "$ranking" ] || fail "watching a replay changed ranking.txt"
echo "PASS: screenshots in $out"
