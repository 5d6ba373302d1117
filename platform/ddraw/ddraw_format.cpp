#include "platform/ddraw/ddraw_format.h"

#include <bit>

namespace platform::ddraw {
namespace {

std::uint32_t LowBits(std::uint32_t bits) { return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1; }

// A channel mask must be one run of set bits, inside the pixel.
bool ValidMask(std::uint32_t mask, std::uint32_t bits) {
  if (mask == 0) return true;
  if ((mask & ~LowBits(bits)) != 0) return false;
  const std::uint32_t shifted = mask >> std::countr_zero(mask);
  return (shifted & (shifted + 1)) == 0;
}

}  // namespace

std::uint32_t SurfaceFormat::KeyMask() const {
  if (ZBuffer()) return (zMask ? zMask : LowBits(pixels.bitsPerPixel)) | stencilMask;
  if (Palettised()) return 0xFF;
  return pixels.redMask | pixels.greenMask | pixels.blueMask | pixels.alphaMask;
}

bool SurfaceFormat::SameLayout(const SurfaceFormat& other) const {
  if (pixels.bitsPerPixel != other.pixels.bitsPerPixel) return false;
  if (ZBuffer() || other.ZBuffer())
    return ZBuffer() && other.ZBuffer() && zMask == other.zMask && stencilMask == other.stencilMask;
  if (Palettised() || other.Palettised()) return Palettised() && other.Palettised();
  // Alpha may differ: X8R8G8B8 and A8R8G8B8 copy into each other bit for bit.
  return pixels.redMask == other.pixels.redMask && pixels.greenMask == other.pixels.greenMask &&
         pixels.blueMask == other.pixels.blueMask;
}

SurfaceFormat FormatForMode(const DisplayMode& mode) {
  SurfaceFormat format;
  format.pixels = PixelFormat::ForDisplayDepth(mode.bitsPerPixel);
  format.flags = format.pixels.Palettised() ? DDPF_PALETTEINDEXED8 | DDPF_RGB : DDPF_RGB;
  return format;
}

HRESULT FormatFromDescription(const DDPIXELFORMAT& in, SurfaceFormat* out) {
  if (in.dwSize != sizeof(DDPIXELFORMAT)) return DDERR_INVALIDPARAMS;
  SurfaceFormat format;
  const DWORD unsupported = DDPF_FOURCC | DDPF_PALETTEINDEXED1 | DDPF_PALETTEINDEXED2 | DDPF_PALETTEINDEXED4 |
                            DDPF_PALETTEINDEXEDTO8 | DDPF_YUV | DDPF_LUMINANCE | DDPF_BUMPDUDV | DDPF_BUMPLUMINANCE |
                            DDPF_ALPHA | DDPF_COMPRESSED | DDPF_RGBTOYUV | DDPF_ZPIXELS;
  if (in.dwFlags & unsupported) return DDERR_INVALIDPIXELFORMAT;
  // A stencil lives only beside depth bits.
  if ((in.dwFlags & DDPF_STENCILBUFFER) && !(in.dwFlags & DDPF_ZBUFFER)) return DDERR_INVALIDPIXELFORMAT;

  if (in.dwFlags & DDPF_ZBUFFER) {
    const DWORD bits = in.dwZBufferBitDepth;
    if (bits != 16 && bits != 24 && bits != 32) return DDERR_INVALIDPIXELFORMAT;
    std::uint32_t stencil = 0;
    if (in.dwFlags & DDPF_STENCILBUFFER) {
      stencil = in.dwStencilBitMask;
      if (stencil == 0 || !ValidMask(stencil, bits) || static_cast<DWORD>(std::popcount(stencil)) != in.dwStencilBitDepth)
        return DDERR_INVALIDPIXELFORMAT;
    }
    // Without a mask the depth takes every bit the stencil leaves.
    const std::uint32_t mask = in.dwZBitMask ? in.dwZBitMask : LowBits(bits) & ~stencil;
    if (!ValidMask(mask, bits) || (mask & stencil) != 0) return DDERR_INVALIDPIXELFORMAT;
    format.pixels.bitsPerPixel = bits;
    format.flags = DDPF_ZBUFFER | (stencil ? DDPF_STENCILBUFFER : 0);
    format.zMask = mask;
    format.stencilMask = stencil;
    *out = format;
    return DD_OK;
  }

  if (in.dwFlags & DDPF_PALETTEINDEXED8) {
    if (in.dwRGBBitCount != 8) return DDERR_INVALIDPIXELFORMAT;
    format.pixels = PixelFormat::Indexed8();
    format.flags = DDPF_PALETTEINDEXED8 | DDPF_RGB;
    *out = format;
    return DD_OK;
  }

  if (!(in.dwFlags & DDPF_RGB)) return DDERR_INVALIDPIXELFORMAT;
  const DWORD bits = in.dwRGBBitCount;
  if (bits != 16 && bits != 24 && bits != 32) return DDERR_INVALIDPIXELFORMAT;
  const std::uint32_t alpha = (in.dwFlags & DDPF_ALPHAPIXELS) ? in.dwRGBAlphaBitMask : 0;
  const std::uint32_t masks[4] = {in.dwRBitMask, in.dwGBitMask, in.dwBBitMask, alpha};
  std::uint32_t seen = 0;
  for (std::uint32_t m : masks) {
    if (!ValidMask(m, bits) || (seen & m) != 0) return DDERR_INVALIDPIXELFORMAT;
    seen |= m;
  }
  if (in.dwRBitMask == 0 || in.dwGBitMask == 0 || in.dwBBitMask == 0) return DDERR_INVALIDPIXELFORMAT;
  if ((in.dwFlags & DDPF_ALPHAPIXELS) && alpha == 0) return DDERR_INVALIDPIXELFORMAT;
  format.pixels = PixelFormat{bits, in.dwRBitMask, in.dwGBitMask, in.dwBBitMask, alpha};
  format.flags = DDPF_RGB | (alpha ? DDPF_ALPHAPIXELS : 0);
  *out = format;
  return DD_OK;
}

void DescribeFormat(const SurfaceFormat& format, DDPIXELFORMAT* out) {
  *out = DDPIXELFORMAT{};
  out->dwSize = sizeof(DDPIXELFORMAT);
  out->dwFlags = format.flags;
  if (format.ZBuffer()) {
    out->dwZBufferBitDepth = format.pixels.bitsPerPixel;
    out->dwZBitMask = format.zMask;
    out->dwStencilBitDepth = static_cast<DWORD>(std::popcount(format.stencilMask));
    out->dwStencilBitMask = format.stencilMask;
    return;
  }
  out->dwRGBBitCount = format.pixels.bitsPerPixel;
  if (format.Palettised()) return;
  out->dwRBitMask = format.pixels.redMask;
  out->dwGBitMask = format.pixels.greenMask;
  out->dwBBitMask = format.pixels.blueMask;
  out->dwRGBAlphaBitMask = format.pixels.alphaMask;
}

}  // namespace platform::ddraw
