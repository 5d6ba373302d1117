#!/usr/bin/env bash
# Makes the BMP files the decoder tests read, and beside each one what
# ImageMagick itself decodes from it: NAME.rgb (8-bit red, green, blue, top
# row first) and, for pictures with alpha, NAME.alpha (one byte a pixel).
# Run it from anywhere; it rewrites this folder's .bmp, .rgb and .alpha files.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A colourful 13 x 7 picture: an odd width, so every depth has row padding.
convert -seed 7 -size 13x7 plasma:fractal "$work/src.png"
# Every 6-bit level of each channel and of grey, so that 16-bit files hold
# every 5 and 6-bit value.
python3 - "$work/ramps.ppm" <<'PY'
import sys
w, h = 64, 4
rows = []
for c in range(4):
    row = []
    for i in range(w):
        v = round(i * 255 / 63)
        row.append((v, v, v) if c == 3 else tuple(v if k == c else 0 for k in range(3)))
    rows.append(row)
with open(sys.argv[1], "wb") as f:
    f.write(b"P6\n%d %d\n255\n" % (w, h))
    for row in rows:
        for p in row:
            f.write(bytes(p))
PY
# Flat areas with a few odd pixels: long runs and literal stretches in RLE.
convert -size 40x12 xc:white -fill red -draw "rectangle 5,2 30,8" -fill blue \
  -draw "point 1,1" -draw "point 2,1" -draw "point 3,1" -draw "point 33,10" -type Palette "$work/flat.png"

convert "$work/src.png" -monochrome BMP3:bits1.bmp
convert "$work/src.png" -colors 16 -type Palette -compress none BMP3:bits4.bmp
convert "$work/src.png" -colors 200 -type Palette -compress none BMP3:bits8.bmp
convert "$work/src.png" -colors 200 -type Palette -compress none BMP:bits8_v5.bmp
convert "$work/flat.png" -type Palette -compress RLE BMP3:rle8.bmp
convert "$work/src.png" -colors 200 -type Palette -compress RLE BMP3:rle8_busy.bmp
convert "$work/ramps.ppm" -define bmp:subtype=RGB565 rgb565.bmp
convert "$work/ramps.ppm" -define bmp:subtype=RGB555 rgb555.bmp
convert "$work/src.png" BMP3:bits24.bmp
convert "$work/src.png" -alpha set -channel A -fx "(i+j)/20" +channel argb32.bmp
convert "$work/src.png" BMP2:core24.bmp
convert "$work/src.png" -colors 16 BMP2:core4.bmp

# Variants ImageMagick does not write, made from the files above without
# changing a pixel: other header sizes, top-down rows, 32-bit BI_RGB, RLE4
# and run-length escapes (delta, early end of line and of picture).
python3 - <<'PY'
import struct

def load(name):
    return bytearray(open(name, "rb").read())

def save(name, header, table, pixels):
    off = 14 + len(header) + len(table)
    data = struct.pack("<2sIHHI", b"BM", off + len(pixels), 0, 0, off) + header + table + pixels
    open(name, "wb").write(data)

def parts(d):
    off = struct.unpack_from("<I", d, 10)[0]
    hs = struct.unpack_from("<I", d, 14)[0]
    return d[14:14 + hs], d[14 + hs:off], d[off:]

def info(width, height, bits, comp, size, image, used, masks=b""):
    return struct.pack("<IiiHHIIiiII", size, width, height, 1, bits, comp, image, 2835, 2835, used, used) + masks

# 52 and 56-byte headers and a 40-byte header with separate masks, from the
# 5-6-5 file; 108-byte from the 124-byte one with alpha.
h, t, p = parts(load("rgb565.bmp"))
w, hh = struct.unpack_from("<ii", h, 4)
masks = h[40:52]
save("rgb565_v2.bmp", info(w, hh, 16, 3, 52, len(p), 0, masks), b"", p)
save("rgb565_v3.bmp", info(w, hh, 16, 3, 56, len(p), 0, masks + b"\0\0\0\0"), b"", p)
save("rgb565_bitfields.bmp", info(w, hh, 16, 3, 40, len(p), 0), masks, p)
h, t, p = parts(load("argb32.bmp"))
v4 = bytearray(h[:108]); struct.pack_into("<I", v4, 0, 108)
save("argb32_v4.bmp", bytes(v4), t, p)
w, hh = struct.unpack_from("<ii", h, 4)
save("argb32_v3.bmp", info(w, hh, 32, 3, 56, len(p), 0, h[40:56]), b"", p)

# Top-down rows: negative height, rows in the other order.
h, t, p = parts(load("bits24.bmp"))
w, hh = struct.unpack_from("<ii", h, 4)
stride = (w * 3 + 3) & ~3
rows = [p[i * stride:(i + 1) * stride] for i in range(hh)]
save("bits24_topdown.bmp", info(w, -hh, 24, 0, 40, len(p), 0), t, b"".join(reversed(rows)))
hd4, table4, p4 = parts(load("bits4.bmp"))
w4, h4 = struct.unpack_from("<ii", hd4, 4)
stride4 = ((w4 * 4 + 31) // 32) * 4
rows4 = [p4[i * stride4:(i + 1) * stride4] for i in range(h4)]
save("bits4_topdown.bmp", info(w4, -h4, 4, 0, 40, len(p4), 16), table4, b"".join(reversed(rows4)))

# 32-bit BI_RGB, the fourth byte zero.
p32 = bytearray()
for row in rows:
    for x in range(w):
        p32 += row[3 * x:3 * x + 3] + b"\0"
save("bits32.bmp", info(w, hh, 32, 0, 40, len(p32), 0), b"", bytes(p32))

# 16-bit BI_RGB (always 5-5-5) with the 5-5-5 file's pixels.
h, t, p = parts(load("rgb555.bmp"))
w5, h5 = struct.unpack_from("<ii", h, 4)
save("rgb555_birgb.bmp", info(w5, h5, 16, 0, 40, len(p), 0), b"", p)

# RLE4 of the 4-bit file: runs for repeats, literal stretches otherwise.
def nibbles(row, width):
    return [(row[x // 2] >> (4 if x % 2 == 0 else 0)) & 15 for x in range(width)]

def rle4_row(px):
    out = bytearray()
    i = 0
    while i < len(px):
        j = i
        while j < len(px) and px[j] == px[i] and j - i < 255:
            j += 1
        if j - i >= 3 or len(px) - i < 3:
            n = j - i if j - i >= 3 else 1
            out += bytes([n, px[i] << 4 | px[i]])
            i += n
            continue
        k = i
        while k < len(px) and k - i < 255 and not (k + 2 < len(px) and px[k] == px[k + 1] == px[k + 2]):
            k += 1
        n = k - i
        if n < 3:
            out += bytes([1, px[i] << 4 | px[i]])
            i += 1
            continue
        lit = px[i:k] + ([0] if n % 2 else [])
        b = bytes(lit[m] << 4 | lit[m + 1] for m in range(0, len(lit), 2))
        out += bytes([0, n]) + b + (b"\0" if len(b) % 2 else b"")
        i = k
    return out + b"\0\0"

enc = bytearray()
for row in rows4:
    enc += rle4_row(nibbles(row, w4))
enc += b"\0\1"
save("rle4.bmp", info(w4, h4, 4, 2, 40, len(enc), 16), table4, bytes(enc))

# Escapes: a 16 x 6 RLE8 picture with ends of line, a literal stretch, a
# delta and an early end of picture; pixels never written are index 0. Two
# bytes of padding follow the end, as ImageMagick reads a little past it.
table = bytes([0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0])
enc = bytes([
    16, 1, 0, 0,        # row 0: 16 x index 1
    4, 2, 0, 0,         # row 1: 4 x index 2
    0, 3, 1, 2, 3, 0,   # row 2: literal 1 2 3, padded to an even length
    0, 2, 5, 1,         # delta: 5 right, 1 up, to (8, 3)
    3, 3,               # row 3: 3 x index 3 from x 8
    0, 1, 0, 0,         # end of picture: rows 4 and 5 stay index 0
])
save("rle8_escapes.bmp", info(16, 6, 8, 1, 40, len(enc), 4), table, enc)
PY

for f in *.bmp; do
  base=${f%.bmp}
  convert "$f" -depth 8 -alpha off rgb:"$base.rgb"
  case "$base" in argb32*) convert "$f" -depth 8 -alpha extract gray:"$base.alpha" ;; esac
done
