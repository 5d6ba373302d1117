// GetPixel, SetPixel and BitBlt: pixels read and written through GDI
// colours, mapped to and from each picture's own format.
#include <algorithm>
#include <array>
#include <cstring>

#include "platform/gdi.h"
#include "platform/gdi/gdi_objects.h"

namespace platform::gdi {
namespace {

struct Rgba {
  std::uint8_t r, g, b, a;
};

Rgba ColourOf(const Picture& p, std::uint32_t raw) {
  if (p.view.format.Palettised()) {
    const PALETTEENTRY& e = p.colours[raw & 0xFF];
    return Rgba{e.peRed, e.peGreen, e.peBlue, 255};
  }
  Rgba c;
  UnpackColor(p.view.format, raw, c.r, c.g, c.b);
  c.a = UnpackAlpha(p.view.format, raw);
  return c;
}

int NearestIndex(const Picture& p, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return NearestPaletteIndex(p.colours, p.colourCount, r, g, b);
}

std::uint32_t RawOf(const Picture& p, const Rgba& c) {
  if (p.view.format.Palettised()) return static_cast<std::uint32_t>(NearestIndex(p, c.r, c.g, c.b));
  return PackColor(p.view.format, c.r, c.g, c.b, c.a);
}

bool SameColours(const Picture& a, const Picture& b) {
  if (a.colours == b.colours) return true;
  const int n = std::min(a.colourCount, b.colourCount);
  for (int i = 0; i < n; ++i)
    if (a.colours[i].peRed != b.colours[i].peRed || a.colours[i].peGreen != b.colours[i].peGreen ||
        a.colours[i].peBlue != b.colours[i].peBlue)
      return false;
  return true;
}

// Nearest-entry searches for true-colour pixels, remembered by colour: a
// picture has far fewer distinct colours than pixels.
class NearestCache {
 public:
  explicit NearestCache(const Picture& p) : picture_(p) { keys_.fill(kEmpty); }

  std::uint8_t Index(const Rgba& c) {
    const std::uint32_t key = (static_cast<std::uint32_t>(c.r) << 16) | (static_cast<std::uint32_t>(c.g) << 8) | c.b;
    const std::uint32_t slot = (key * 2654435761u) >> (32 - kBits);
    if (keys_[slot] != key) {
      keys_[slot] = key;
      values_[slot] = static_cast<std::uint8_t>(NearestIndex(picture_, c.r, c.g, c.b));
    }
    return values_[slot];
  }

 private:
  static constexpr unsigned kBits = 12;
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;  // no 24-bit colour has this key
  const Picture& picture_;
  std::array<std::uint32_t, 1u << kBits> keys_;
  std::array<std::uint8_t, 1u << kBits> values_{};
};

void CopyRows(const PixelView& dst, int x, int y, const PixelView& src, int sx, int sy, int width, int height) {
  const std::size_t bytes = static_cast<std::size_t>(width) * dst.format.BytesPerPixel();
  // Copying within one picture downwards must start at the bottom row.
  const bool upwards = dst.bits == src.bits && y > sy;
  for (int i = 0; i < height; ++i) {
    const int row = upwards ? height - 1 - i : i;
    std::memmove(dst.Row(y + row) + static_cast<std::size_t>(x) * dst.format.BytesPerPixel(),
                 src.Row(sy + row) + static_cast<std::size_t>(sx) * src.format.BytesPerPixel(), bytes);
  }
}

void CopyMapped(const Picture& dst, int x, int y, const Picture& src, int sx, int sy, int width, int height) {
  const PixelView& dv = dst.view;
  const PixelView& sv = src.view;
  if (dv.format == sv.format && (!dv.format.Palettised() || SameColours(dst, src))) {
    CopyRows(dv, x, y, sv, sx, sy, width, height);
    return;
  }
  if (sv.format.Palettised()) {
    // 256 source indices at most: map each once.
    std::array<std::uint32_t, 256> table;
    for (std::uint32_t i = 0; i < 256; ++i) table[i] = RawOf(dst, ColourOf(src, i));
    for (int row = 0; row < height; ++row)
      for (int col = 0; col < width; ++col) WritePixel(dv, x + col, y + row, table[ReadPixel(sv, sx + col, sy + row) & 0xFF]);
    return;
  }
  if (dv.format.Palettised()) {
    NearestCache nearest(dst);
    for (int row = 0; row < height; ++row)
      for (int col = 0; col < width; ++col) WritePixel(dv, x + col, y + row, nearest.Index(ColourOf(src, ReadPixel(sv, sx + col, sy + row))));
    return;
  }
  for (int row = 0; row < height; ++row)
    for (int col = 0; col < width; ++col) WritePixel(dv, x + col, y + row, RawOf(dst, ColourOf(src, ReadPixel(sv, sx + col, sy + row))));
}

void Fill(const PixelView& view, int x, int y, int width, int height, std::uint32_t raw) {
  for (int row = 0; row < height; ++row)
    for (int col = 0; col < width; ++col) WritePixel(view, x + col, y + row, raw);
}

// Trims one axis of a copy of EXTENT pixels from source START to destination
// AT so that it lies inside both pictures; false when nothing is left.
bool ClipAxis(std::int64_t& at, std::int64_t& start, std::int64_t& extent, std::int64_t destSize, std::int64_t sourceSize) {
  if (start < 0) {
    at -= start;
    extent += start;
    start = 0;
  }
  if (at < 0) {
    start -= at;
    extent += at;
    at = 0;
  }
  extent = std::min({extent, destSize - at, sourceSize - start});
  return extent > 0;
}

}  // namespace
}  // namespace platform::gdi

using namespace platform::gdi;

COLORREF GetPixel(HDC hdc, int x, int y) {
  if (Faulted("GetPixel")) return CLR_INVALID;
  const DeviceContext* dc = FindDC(hdc);
  Picture picture;
  if (!dc || !DcPixels(*dc, picture) || !picture.view.Contains(x, y)) return CLR_INVALID;
  const Rgba c = ColourOf(picture, platform::ReadPixel(picture.view, x, y));
  return RGB(c.r, c.g, c.b);
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF colour) {
  if (Faulted("SetPixel")) return CLR_INVALID;
  const DeviceContext* dc = FindDC(hdc);
  Picture picture;
  if (!dc || !DcPixels(*dc, picture) || !picture.view.Contains(x, y)) return CLR_INVALID;
  const COLORREF rgb = ResolveColour(*dc, colour);
  const std::uint32_t raw = RawOf(picture, Rgba{GetRValue(rgb), GetGValue(rgb), GetBValue(rgb), 255});
  platform::WritePixel(picture.view, x, y, raw);
  const Rgba set = ColourOf(picture, raw);
  return RGB(set.r, set.g, set.b);
}

BOOL BitBlt(HDC hdest, int x, int y, int width, int height, HDC hsource, int sx, int sy, DWORD rop) {
  if (Faulted("BitBlt")) return FALSE;
  const DeviceContext* dest = FindDC(hdest);
  Picture dst;
  if (!dest || !DcPixels(*dest, dst)) return FALSE;
  if (rop != SRCCOPY && rop != BLACKNESS && rop != WHITENESS) return FALSE;

  Picture src;
  std::int64_t sourceWidth = dst.view.width;
  std::int64_t sourceHeight = dst.view.height;
  if (rop == SRCCOPY) {
    const DeviceContext* source = FindDC(hsource);
    if (!source || !DcPixels(*source, src)) return FALSE;
    sourceWidth = src.view.width;
    sourceHeight = src.view.height;
  } else {
    sx = x;  // no source: clip to the destination alone
    sy = y;
  }

  std::int64_t dx = x, dy = y, ox = sx, oy = sy, w = width, h = height;
  if (!ClipAxis(dx, ox, w, dst.view.width, sourceWidth) || !ClipAxis(dy, oy, h, dst.view.height, sourceHeight))
    return TRUE;  // nothing of it is visible: done

  const int cx = static_cast<int>(dx), cy = static_cast<int>(dy), cw = static_cast<int>(w), ch = static_cast<int>(h);
  switch (rop) {
    case BLACKNESS: Fill(dst.view, cx, cy, cw, ch, 0); break;
    case WHITENESS: {
      const std::uint32_t bits = dst.view.format.bitsPerPixel;
      Fill(dst.view, cx, cy, cw, ch, bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1);
      break;
    }
    default: CopyMapped(dst, cx, cy, src, static_cast<int>(ox), static_cast<int>(oy), cw, ch); break;
  }
  return TRUE;
}
