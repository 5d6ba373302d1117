#!/usr/bin/env bash
# Rebuilds the pictures in docs/assets/ from the committed sheets: each sheet
# scaled 3x (nearest neighbour) and the screens make_assets composes from
# them. Needs ImageMagick's convert.
#   tools/make_assets/make_docs.sh <build>/tools/make_assets/make_assets
set -euo pipefail
tool=${1:?usage: make_docs.sh PATH_TO_MAKE_ASSETS}
root=$(cd "$(dirname "$0")/../.." && pwd)
out="$root/docs/assets"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

mkdir -p "$out"
"$tool" --mockups "$tmp" >/dev/null
# No time stamps in the PNGs, so unchanged pictures give unchanged files.
png=(-strip -define png:exclude-chunks=date,time)
for n in 1 2 3; do
  convert "$root/assets/cg$n.bmp" -filter point -resize 300% "${png[@]}" "$out/cg${n}_x3.png"
done
for screen in play_screen laser_screen title_screen; do
  convert "$tmp/$screen.bmp" "${png[@]}" "$out/$screen.png"
done
ls -l "$out"
