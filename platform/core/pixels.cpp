#include "platform/pixels.h"

#include <bit>
#include <cstring>

namespace platform {
namespace {

std::uint32_t PackChannel(std::uint32_t mask, std::uint8_t value) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  const std::uint32_t v = bits >= 8 ? static_cast<std::uint32_t>(value) << (bits - 8)
                                    : static_cast<std::uint32_t>(value) >> (8 - bits);
  return (v << shift) & mask;
}

std::uint8_t UnpackChannel(std::uint32_t mask, std::uint32_t value) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  std::uint32_t v = (value & mask) >> shift;
  if (bits >= 8) return static_cast<std::uint8_t>(v >> (bits - 8));
  // Repeat the top bits into the low ones: 5-bit 31 becomes 255, 0 stays 0.
  std::uint32_t wide = v << (8 - bits);
  for (int filled = bits; filled < 8; filled += bits) wide |= wide >> bits;
  return static_cast<std::uint8_t>(wide & 0xFF);
}

}  // namespace

PixelFormat PixelFormat::ForDisplayDepth(std::uint32_t bits) {
  switch (bits) {
    case 8: return Indexed8();
    case 15: return Rgb555();
    case 16: return Rgb565();
    case 24: return Rgb888();
    default: return Xrgb8888();
  }
}

std::int32_t AlignedPitch(std::int32_t width, std::uint32_t bitsPerPixel) {
  const std::int64_t bytes = static_cast<std::int64_t>(width) * static_cast<std::int64_t>(bitsPerPixel / 8);
  return static_cast<std::int32_t>((bytes + 3) & ~std::int64_t{3});
}

std::uint32_t ReadPixel(const PixelView& view, std::int32_t x, std::int32_t y) {
  const std::uint8_t* p = view.Row(y) + static_cast<std::intptr_t>(x) * view.format.BytesPerPixel();
  switch (view.format.bitsPerPixel) {
    case 8: return *p;
    case 16: {
      std::uint16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case 24: return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
    default: {
      std::uint32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
  }
}

void WritePixel(const PixelView& view, std::int32_t x, std::int32_t y, std::uint32_t value) {
  std::uint8_t* p = view.Row(y) + static_cast<std::intptr_t>(x) * view.format.BytesPerPixel();
  switch (view.format.bitsPerPixel) {
    case 8: *p = static_cast<std::uint8_t>(value); break;
    case 16: {
      const std::uint16_t v = static_cast<std::uint16_t>(value);
      std::memcpy(p, &v, 2);
      break;
    }
    case 24:
      p[0] = static_cast<std::uint8_t>(value);
      p[1] = static_cast<std::uint8_t>(value >> 8);
      p[2] = static_cast<std::uint8_t>(value >> 16);
      break;
    default: std::memcpy(p, &value, 4); break;
  }
}

std::uint32_t PackColor(const PixelFormat& format, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
  return PackChannel(format.redMask, r) | PackChannel(format.greenMask, g) | PackChannel(format.blueMask, b) |
         PackChannel(format.alphaMask, a);
}

void UnpackColor(const PixelFormat& format, std::uint32_t value, std::uint8_t& r, std::uint8_t& g, std::uint8_t& b) {
  r = UnpackChannel(format.redMask, value);
  g = UnpackChannel(format.greenMask, value);
  b = UnpackChannel(format.blueMask, value);
}

std::uint8_t UnpackAlpha(const PixelFormat& format, std::uint32_t value) {
  return format.alphaMask ? UnpackChannel(format.alphaMask, value) : 255;
}

int NearestPaletteIndex(const PALETTEENTRY* palette, int count, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  int best = 0;
  int bestDistance = 0x7FFFFFFF;
  for (int i = 0; i < count; ++i) {
    const int dr = palette[i].peRed - r;
    const int dg = palette[i].peGreen - g;
    const int db = palette[i].peBlue - b;
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
      if (d == 0) break;
    }
  }
  return best;
}

void ConvertToXrgb(const PixelView& source, std::uint32_t* dst) {
  for (std::int32_t y = 0; y < source.height; ++y) {
    std::uint32_t* out = dst + static_cast<std::intptr_t>(y) * source.width;
    if (source.format.bitsPerPixel == 8) {
      const std::uint8_t* in = source.Row(y);
      for (std::int32_t x = 0; x < source.width; ++x) {
        const std::uint8_t i = in[x];
        out[x] = source.palette ? (static_cast<std::uint32_t>(source.palette[i].peRed) << 16) |
                                      (static_cast<std::uint32_t>(source.palette[i].peGreen) << 8) | source.palette[i].peBlue
                                : (static_cast<std::uint32_t>(i) * 0x010101u);
      }
    } else if (source.format == PixelFormat::Xrgb8888() || source.format == PixelFormat::Argb8888()) {
      const std::uint8_t* in = source.Row(y);
      for (std::int32_t x = 0; x < source.width; ++x) {
        std::uint32_t v;
        std::memcpy(&v, in + x * 4, 4);
        out[x] = v & 0x00FFFFFF;
      }
    } else {
      for (std::int32_t x = 0; x < source.width; ++x) {
        std::uint8_t r, g, b;
        UnpackColor(source.format, ReadPixel(source, x, y), r, g, b);
        out[x] = (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) | b;
      }
    }
  }
}

}  // namespace platform
