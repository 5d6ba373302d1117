#include "platform/backend/sdl/sdl_convert.h"

#include <cstring>

#include "platform/pixels.h"

namespace platform::sdl {

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

void FrameConverter::Convert(const FrameView& frame, std::uint8_t* dst, std::int32_t pitch) {
  const std::uint32_t w = frame.width, h = frame.height;
  if (!frame.pixels || w == 0 || h == 0) return;
  switch (frame.bitsPerPixel) {
    case 8: {
      for (int i = 0; i < 256; ++i) {
        const PALETTEENTRY e = frame.palette ? frame.palette[i] : PALETTEENTRY{BYTE(i), BYTE(i), BYTE(i), 0};
        palette_[i] = (std::uint32_t{e.peRed} << 16) | (std::uint32_t{e.peGreen} << 8) | e.peBlue;
      }
      for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t* src = frame.pixels + static_cast<std::intptr_t>(y) * frame.pitch;
        auto* out = reinterpret_cast<std::uint32_t*>(dst + static_cast<std::intptr_t>(y) * pitch);
        std::uint32_t x = 0;
        for (; x + 4 <= w; x += 4) {
          out[x] = palette_[src[x]];
          out[x + 1] = palette_[src[x + 1]];
          out[x + 2] = palette_[src[x + 2]];
          out[x + 3] = palette_[src[x + 3]];
        }
        for (; x < w; ++x) out[x] = palette_[src[x]];
      }
      return;
    }
    case 16: {
      Prepare16(frame);
      const std::uint32_t* table = table16_.data();
      for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t* src = frame.pixels + static_cast<std::intptr_t>(y) * frame.pitch;
        auto* out = reinterpret_cast<std::uint32_t*>(dst + static_cast<std::intptr_t>(y) * pitch);
        for (std::uint32_t x = 0; x < w; ++x) {
          std::uint16_t v;
          std::memcpy(&v, src + 2 * x, 2);
          out[x] = table[v];
        }
      }
      return;
    }
    case 32:
      if (frame.redMask == 0xFF0000 && frame.greenMask == 0xFF00 && frame.blueMask == 0xFF) {
        // Already the texture's layout; the unused top byte is ignored by it.
        for (std::uint32_t y = 0; y < h; ++y) {
          std::memcpy(dst + static_cast<std::intptr_t>(y) * pitch,
                      frame.pixels + static_cast<std::intptr_t>(y) * frame.pitch, static_cast<std::size_t>(w) * 4);
        }
        return;
      }
      break;
    default:
      break;
  }
  // Any other layout (24 bits, unusual masks) through the general unpacking.
  PixelView view;
  view.bits = const_cast<std::uint8_t*>(frame.pixels);
  view.pitch = frame.pitch;
  view.width = static_cast<std::int32_t>(w);
  view.height = static_cast<std::int32_t>(h);
  view.format = PixelFormat{frame.bitsPerPixel, frame.redMask, frame.greenMask, frame.blueMask, 0};
  view.palette = frame.palette;
  for (std::uint32_t y = 0; y < h; ++y) {
    auto* out = reinterpret_cast<std::uint32_t*>(dst + static_cast<std::intptr_t>(y) * pitch);
    for (std::uint32_t x = 0; x < w; ++x) {
      std::uint8_t r, g, b;
      UnpackColor(view.format, ReadPixel(view, static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)), r, g, b);
      out[x] = (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
    }
  }
}

}  // namespace platform::sdl
