#!/usr/bin/env bash
# The game as a user gets it: installed into a prefix, started from another
# folder with a user folder of its own under $XDG_DATA_HOME. It shows the
# title, Escape ends it with status 0, and the ranking is in the user folder.
# Without a wave it still plays and names the wave on stderr; without
# cg1.bmp it says so and ends with status 1.
#   install_e2e.sh BUILD_DIR OUTPUT_DIR
set -euo pipefail
build=$(realpath "$1")
out=${2:-$(mktemp -d)}
rm -rf "$out"
mkdir -p "$out"
out=$(realpath "$out")

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
source "$(dirname "$(realpath "$0")")/x11_session.sh"

prefix="$out/prefix"
cmake --install "$build" --prefix "$prefix" >"$out/install.log" || fail "install: $(cat "$out/install.log")"
game="$prefix/bin/zornack"
data="$prefix/share/zornack"
for f in cg1.bmp cg2.bmp cg3.bmp bom02.wav click06.wav; do
  [ -f "$data/$f" ] || fail "$f was not installed in $data"
done

elsewhere="$out/elsewhere"
mkdir -p "$elsewhere"
export XDG_DATA_HOME="$out/xdg"
# A sound device, so that the waves are loaded: SDL's driver that writes to a file.
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
unset ZORNACK_DATA_DIR ZORNACK_USER_DIR

paths=$(cd "$elsewhere" && "$game" --paths)
[ "$paths" = "data: $data/
user: $XDG_DATA_HOME/zornack/" ] || fail "--paths said: $paths"

# Waits for the game to end and checks its status.
expect_end() {  # status what
  for _ in $(seq 100); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$program_pid" 2>/dev/null && fail "$2: the game did not end"
  local status=0
  wait "$program_pid" || status=$?
  [ "$status" -eq "$1" ] || fail "$2: status $status, expected $1: $(cat "$out/$2.log")"
}

# Plays the title and quits with Escape.
title_and_quit() {  # what
  start_program "$game" "$elsewhere" "$out/$1.log"
  sleep 1
  focus
  geometry
  shot "$1"
  local lit
  lit=$(convert "$out/$1.png" -crop "256x96+$((X + 192))+$((Y + 20 + 80))" +repage -fill white +opaque black \
    -colorspace gray -format "%[fx:round(mean*w*h)]" info:)
  [ "$lit" -ge 8000 ] || fail "$1: the title's logo is not there ($lit lit pixels, see $out/$1.png)"
  press Escape
  expect_end 0 "$1"
}

start_window_manager
title_and_quit installed
lines=$(wc -l <"$XDG_DATA_HOME/zornack/ranking.txt")
[ "$lines" -eq 60 ] || fail "the ranking in the user folder has $lines lines, expected 60"
[ ! -e "$elsewhere/ranking.txt" ] || fail "a ranking was written in the current folder"

rm "$data/bom03.wav"
title_and_quit missing-wave
grep -q "warning: the sound bom03.wav could not be loaded from $data/" "$out/missing-wave.log" ||
  fail "without bom03.wav: $(cat "$out/missing-wave.log")"

rm "$data/cg1.bmp"
(cd "$elsewhere" && exec "$game") >"$out/missing-sheet.log" 2>&1 &
program_pid=$!
pids+=($program_pid)
# The message box: its OK button is the default, Return presses it.
for _ in $(seq 100); do
  grep -qs "cg1.bmp" "$out/missing-sheet.log" && break
  sleep 0.1
done
sleep 1
box=$(xdotool search --name Zornack 2>/dev/null | tail -n1 || true)
[ -n "$box" ] || fail "without cg1.bmp: no message box"
shot missing-sheet
xdotool key Return
expect_end 1 missing-sheet
grep -q "^zornack: the picture cg1.bmp could not be loaded from $data/" "$out/missing-sheet.log" ||
  fail "without cg1.bmp: $(cat "$out/missing-sheet.log")"
echo "PASS: screenshots in $out"
