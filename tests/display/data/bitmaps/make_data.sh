#!/usr/bin/env bash
# Makes the BMP files the bitmap-loading tests read, and beside each one
# ImageMagick's own decode of it: NAME.rgba (8-bit red, green, blue, alpha,
# top row first). The tests pack that decode into each surface format and
# compare every pixel.
# Run it from anywhere; it rewrites this folder's .bmp and .rgba files.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A colourful 37 x 23 picture: an odd width, so that 8, 16 and 24-bit rows
# all carry padding.
convert -seed 3 -size 37x23 plasma:fractal "$work/src.png"
# Pictures as wide as the game's sheets, lower and higher than them: every
# row a different colour so that a misplaced row shows.
convert -size 256x100 xc: -channel R -fx "floor(i/32)/7" -channel G -fx "j/99" -channel B -fx "(i%32)/31" +channel \
  -depth 8 "$work/short.png"
convert -size 256x300 xc: -channel R -fx "j/299" -channel G -fx "i/255" -channel B -fx "((i*5+j*11)%80)/79" +channel \
  -depth 8 "$work/tall.png"

convert "$work/src.png" -colors 200 -type Palette -compress none BMP3:p8_bmp3.bmp
convert "$work/src.png" -colors 200 -type Palette -compress none BMP:p8_v5.bmp
convert "$work/src.png" -define bmp:subtype=RGB555 BMP:rgb555_v5.bmp
convert "$work/src.png" -define bmp:subtype=RGB565 BMP:rgb565_v5.bmp
convert "$work/src.png" BMP3:rgb24_bmp3.bmp
convert "$work/src.png" BMP:rgb24_v5.bmp
convert "$work/src.png" -alpha set -channel A -fx "(i+j)/58" +channel -define bmp3:alpha=true BMP3:argb32_bmp3.bmp
convert "$work/src.png" -alpha set -channel A -fx "(i+j)/58" +channel BMP:argb32_v5.bmp
convert "$work/short.png" -colors 256 -type Palette -compress none BMP3:short_p8.bmp
convert "$work/tall.png" BMP3:tall_rgb24.bmp
# Refused: 4 bits per pixel, and run-length rows.
convert "$work/src.png" -colors 16 BMP3:p4_bmp3.bmp
convert "$work/src.png" -colors 200 -type Palette -compress RLE BMP3:rle8_bmp3.bmp

# Variants ImageMagick does not write, made from the files above without
# changing a pixel: a 108-byte header, 16-bit rows without masks (always
# x-5-5-5), and rows stored top row first (negative height).
python3 - <<'PY'
import struct

def load(name):
    return bytearray(open(name, "rb").read())

def parts(d):
    off = struct.unpack_from("<I", d, 10)[0]
    size = struct.unpack_from("<I", d, 14)[0]
    return d[14:14 + size], d[14 + size:off], d[off:]

def save(name, header, table, pixels):
    off = 14 + len(header) + len(table)
    open(name, "wb").write(struct.pack("<2sIHHI", b"BM", off + len(pixels), 0, 0, off) + header + table + pixels)

def info(width, height, bits, compression, image, used):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, image, 2835, 2835, used, used)

h, t, p = parts(load("p8_v5.bmp"))
v4 = bytearray(h[:108])
struct.pack_into("<I", v4, 0, 108)
save("p8_v4.bmp", bytes(v4), t, p)

h, t, p = parts(load("rgb555_v5.bmp"))
w, hh = struct.unpack_from("<ii", h, 4)
save("rgb555_birgb.bmp", info(w, hh, 16, 0, len(p), 0), b"", p)

for name, bits in (("p8_bmp3", 8), ("rgb24_bmp3", 24)):
    h, t, p = parts(load(name + ".bmp"))
    w, hh = struct.unpack_from("<ii", h, 4)
    stride = (w * bits // 8 + 3) & ~3
    rows = [p[i * stride:(i + 1) * stride] for i in range(hh)]
    used = struct.unpack_from("<I", h, 32)[0]
    save(name.replace("_bmp3", "_topdown") + ".bmp", info(w, -hh, bits, 0, len(p), used), t, b"".join(reversed(rows)))
PY

for f in *.bmp; do
  case "$f" in p4_*|rle8_*) continue ;; esac
  convert "$f" -depth 8 rgba:"${f%.bmp}.rgba"
done
