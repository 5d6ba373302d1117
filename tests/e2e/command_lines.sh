#!/usr/bin/env bash
# Every program answers --help, refuses what it does not know with status 2,
# and says on stderr why it cannot do what it was asked (status 1).
#   command_lines.sh BUILD_DIR OUTPUT_DIR
set -uo pipefail
build=$(realpath "$1")
out=${2:-$(mktemp -d)}
mkdir -p "$out"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
zornack="$build/game/zornack"
viewer="$build/tools/bmp_viewer/bmp_viewer"
demo="$build/tools/platform_demo/platform_demo"
assets="$build/tools/make_assets/make_assets"
head -c 3000 "$build/game/cg1.bmp" >"$out/cut.bmp"

failures=0
# program args... -- status first-line-pattern (stdout for status 0, stderr otherwise)
check() {
  local args=() status pattern
  while [ "$1" != "--" ]; do args+=("$1"); shift; done
  status=$2 pattern=$3
  timeout 20 "${args[@]}" </dev/null >"$out/stdout" 2>"$out/stderr"
  local got=$?
  local text
  if [ "$status" -eq 0 ]; then text=$(head -n1 "$out/stdout"); else text=$(grep -v "^ALSA\|^CRITICAL" "$out/stderr" | head -n1); fi
  if [ "$got" -ne "$status" ] || ! grep -qE "$pattern" <<<"$text"; then
    echo "FAIL: $(basename "${args[0]}") ${args[*]:1}: status $got, \"$text\"; expected $status, /$pattern/"
    failures=$((failures + 1))
  fi
}

for program in "$zornack" "$viewer" "$demo" "$assets"; do
  name=$(basename "$program")
  check "$program" --help -- 0 "^usage: $name"
  check "$program" -h -- 0 "^usage: $name"
  check "$program" --no-such-option -- 2 "^$name: unknown (option|argument):? --no-such-option$"
done
check "$zornack" --scale 0 -- 2 '^zornack: --scale takes a whole number from 1 to 8'
check "$zornack" stray -- 2 '^zornack: unexpected argument "stray"$'
check "$zornack" --version -- 0 '^zornack [0-9]+\.[0-9]+\.[0-9]+$'
check "$viewer" -- 2 '^bmp_viewer: no picture named$'
check "$viewer" a.bmp b.bmp -- 2 '^bmp_viewer: one picture at a time: b.bmp$'
check "$viewer" "$out/missing.bmp" -- 1 "^bmp_viewer: cannot open $out/missing.bmp$"
check "$viewer" "$out/cut.bmp" -- 1 "^bmp_viewer: cannot show $out/cut.bmp: LoadBMP中に、読み込みエラーが発生しました$"
check "$demo" extra -- 2 '^platform_demo: unknown argument: extra$'
check "$assets" "$out/missing-folder" -- 1 "^make_assets: $out/missing-folder/cg1.bmp: cannot create"
[ "$failures" -eq 0 ] && echo "PASS" || exit 1
