#include "platform/backend/sdl/sdl_convert.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/pixels.h"

namespace platform::sdl {
namespace {

bool IsXrgb(const FrameView& frame) {
  return frame.bitsPerPixel == 32 && frame.redMask == 0xFF0000 && frame.greenMask == 0xFF00 &&
         frame.blueMask == 0xFF;
}

const std::uint8_t* SourceRow(const FrameView& frame, std::uint32_t y) {
  return frame.pixels + static_cast<std::intptr_t>(y) * frame.pitch;
}

std::uint32_t* OutRow(std::uint8_t* dst, std::int32_t pitch, std::uint32_t y) {
  return reinterpret_cast<std::uint32_t*>(dst + static_cast<std::intptr_t>(y) * pitch);
}

}  // namespace

void FrameConverter::Prepare16(const FrameView& frame) {
  if (!table16_.empty() && table16Masks_[0] == frame.redMask && table16Masks_[1] == frame.greenMask &&
      table16Masks_[2] == frame.blueMask) {
    return;
  }
  table16_.resize(65536);
  const PixelFormat format{16, frame.redMask, frame.greenMask, frame.blueMask, 0};
  for (std::uint32_t v = 0; v < 65536; ++v) {
    std::uint8_t r, g, b;
    UnpackColor(format, v, r, g, b);
    table16_[v] = (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
  }
  table16Masks_[0] = frame.redMask;
  table16Masks_[1] = frame.greenMask;
  table16Masks_[2] = frame.blueMask;
}

void FrameConverter::PreparePalette(const FrameView& frame) {
  for (int i = 0; i < 256; ++i) {
    const PALETTEENTRY e = frame.palette ? frame.palette[i] : PALETTEENTRY{BYTE(i), BYTE(i), BYTE(i), 0};
    palette_[i] = (std::uint32_t{e.peRed} << 16) | (std::uint32_t{e.peGreen} << 8) | e.peBlue;
  }
}

void FrameConverter::ConvertRow(const FrameView& frame, std::uint32_t y, std::uint32_t left, std::uint32_t right,
                                std::uint32_t* out) {
  const std::uint8_t* src = SourceRow(frame, y);
  if (frame.bitsPerPixel == 8) {
    std::uint32_t x = left;
    for (; x + 4 <= right; x += 4, out += 4) {
      out[0] = palette_[src[x]];
      out[1] = palette_[src[x + 1]];
      out[2] = palette_[src[x + 2]];
      out[3] = palette_[src[x + 3]];
    }
    for (; x < right; ++x) *out++ = palette_[src[x]];
    return;
  }
  if (frame.bitsPerPixel == 16) {
    const std::uint32_t* table = table16_.data();
    for (std::uint32_t x = left; x < right; ++x) {
      std::uint16_t v;
      std::memcpy(&v, src + 2 * x, 2);
      *out++ = table[v];
    }
    return;
  }
  if (IsXrgb(frame)) {
    // Already the output's layout; the unused top byte is ignored by SDL.
    std::memcpy(out, src + 4 * left, static_cast<std::size_t>(right - left) * 4);
    return;
  }
  // Any other layout (24 bits, unusual masks) through the general unpacking.
  PixelView view;
  view.bits = const_cast<std::uint8_t*>(frame.pixels);
  view.pitch = frame.pitch;
  view.width = static_cast<std::int32_t>(frame.width);
  view.height = static_cast<std::int32_t>(frame.height);
  view.format = PixelFormat{frame.bitsPerPixel, frame.redMask, frame.greenMask, frame.blueMask, 0};
  view.palette = frame.palette;
  for (std::uint32_t x = left; x < right; ++x) {
    std::uint8_t r, g, b;
    UnpackColor(view.format, ReadPixel(view, static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)), r, g, b);
    *out++ = (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
  }
}

void FrameConverter::Convert(const FrameView& frame, std::uint8_t* dst, std::int32_t pitch) {
  if (!frame.pixels || frame.width == 0 || frame.height == 0) return;
  if (frame.bitsPerPixel == 8) PreparePalette(frame);
  if (frame.bitsPerPixel == 16) Prepare16(frame);
  for (std::uint32_t y = 0; y < frame.height; ++y) ConvertRow(frame, y, 0, frame.width, OutRow(dst, pitch, y));
}

void FrameConverter::PrepareScale(std::uint32_t sourceWidth, std::uint32_t sourceHeight, std::uint32_t outWidth,
                                  std::uint32_t outHeight) {
  if (sourceWidth == sourceWidth_ && sourceHeight == sourceHeight_ && outWidth == outWidth_ &&
      outHeight == outHeight_) {
    return;
  }
  sourceWidth_ = sourceWidth;
  sourceHeight_ = sourceHeight;
  outWidth_ = outWidth;
  outHeight_ = outHeight;
  // Output pixel X shows source pixel floor((X + 1/2) * source / out):
  // source pixel x fills repeats_[x] output pixels (none when shrinking
  // skips it).
  repeats_.assign(sourceWidth, 0);
  for (std::uint32_t x = 0; x < outWidth; ++x) {
    ++repeats_[static_cast<std::size_t>((2 * std::uint64_t{x} + 1) * sourceWidth / (2 * std::uint64_t{outWidth}))];
  }
  widest_ = (*std::max_element(repeats_.begin(), repeats_.end()) + 3) / 4 * 4;
  columnStarts_.assign(sourceWidth + 1, 0);
  for (std::uint32_t x = 0; x < sourceWidth; ++x) columnStarts_[x + 1] = columnStarts_[x] + repeats_[x];
  // Source row s starts at the first output row that shows it or a later
  // one; a row that shrinking skips starts and ends where the next starts.
  rowStarts_.assign(sourceHeight + 1, outHeight);
  std::uint32_t next = 0;
  for (std::uint32_t y = 0; y < outHeight; ++y) {
    const auto source =
        static_cast<std::uint32_t>((2 * std::uint64_t{y} + 1) * sourceHeight / (2 * std::uint64_t{outHeight}));
    for (; next <= source; ++next) rowStarts_[next] = y;
  }
  scratch_.resize(sourceWidth);
  outRow_.resize(outWidth + widest_);
}

template <typename Pixel>
void FrameConverter::Widen(Pixel pixel, std::uint32_t left, std::uint32_t right, std::uint32_t* out) const {
  // Each source pixel is written widest_ times from where it starts, and
  // the next one starts repeats_ further on, over what was too many: no
  // branch on the count, and whole-vector stores. The row has room for the
  // last pixel's extra copies.
  const std::uint8_t* repeats = repeats_.data();
#if defined(__SSE2__)
  if (widest_ <= 4) {
    for (std::uint32_t x = left; x < right; ++x) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_set1_epi32(static_cast<int>(pixel(x))));
      out += repeats[x];
    }
    return;
  }
  for (std::uint32_t x = left; x < right; ++x) {
    const __m128i v = _mm_set1_epi32(static_cast<int>(pixel(x)));
    for (std::uint32_t i = 0; i < widest_; i += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), v);
    out += repeats[x];
  }
#else
  for (std::uint32_t x = left; x < right; ++x) {
    const std::uint32_t v = pixel(x);
    for (std::uint32_t i = 0; i < widest_; ++i) out[i] = v;
    out += repeats[x];
  }
#endif
}

PixelArea FrameConverter::Scaled(const PixelArea& source) const {
  if (rowStarts_.empty() || columnStarts_.empty()) return PixelArea{};
  const auto column = [this](std::uint32_t x) { return columnStarts_[std::min<std::size_t>(x, sourceWidth_)]; };
  const auto row = [this](std::uint32_t y) { return rowStarts_[std::min<std::size_t>(y, sourceHeight_)]; };
  return PixelArea{column(source.left), row(source.top), column(source.right), row(source.bottom)};
}

void FrameConverter::ConvertScaled(const FrameView& frame, std::uint32_t outWidth, std::uint32_t outHeight,
                                   const PixelArea& source, std::uint8_t* dst, std::int32_t pitch) {
  const std::uint32_t w = frame.width, h = frame.height;
  if (!frame.pixels || w == 0 || h == 0 || outWidth == 0 || outHeight == 0) return;
  const std::uint32_t left = std::min(source.left, w), right = std::min(source.right, w);
  const std::uint32_t bottom = std::min(source.bottom, h);
  if (left >= right) return;
  PrepareScale(w, h, outWidth, outHeight);
  if (frame.bitsPerPixel == 8) PreparePalette(frame);
  if (frame.bitsPerPixel == 16) Prepare16(frame);
  const std::uint32_t outLeft = columnStarts_[left];
  const std::size_t bytes = static_cast<std::size_t>(columnStarts_[right] - outLeft) * 4;
  std::uint32_t* row = outRow_.data();
  for (std::uint32_t y = source.top; y < bottom; ++y) {
    const std::uint32_t start = rowStarts_[y], end = rowStarts_[y + 1];
    if (start == end) continue;  // a row that shrinking skips
    if (outWidth == w && end == start + 1) {
      ConvertRow(frame, y, left, right, OutRow(dst, pitch, start) + outLeft);  // nothing to widen or repeat
      continue;
    }
    // The output row is made once, in the cache, then copied to every
    // output row that shows this source row.
    if (outWidth == w) {
      ConvertRow(frame, y, left, right, row);
    } else if (frame.bitsPerPixel == 8) {
      // Straight through the palette, without the row at its own size.
      const std::uint8_t* src = SourceRow(frame, y);
      Widen([&](std::uint32_t x) { return palette_[src[x]]; }, left, right, row);
    } else {
      ConvertRow(frame, y, left, right, scratch_.data());
      const std::uint32_t* converted = scratch_.data();
      Widen([&](std::uint32_t x) { return converted[x - left]; }, left, right, row);
    }
    for (std::uint32_t r = start; r < end; ++r) std::memcpy(OutRow(dst, pitch, r) + outLeft, row, bytes);
  }
}

}  // namespace platform::sdl
