// Pixel formats of DirectDraw surfaces: the translation between
// DDPIXELFORMAT and the platform's PixelFormat, and the rules for which
// formats can be made and blitted between.
#pragma once

#include <cstdint>

#include "platform/backend/backend.h"
#include "platform/ddraw.h"
#include "platform/pixels.h"

namespace platform::ddraw {

struct SurfaceFormat {
  PixelFormat pixels{};   // bits per pixel and channel masks (z-buffers: bits only)
  DWORD flags = 0;        // DDPF_RGB, DDPF_PALETTEINDEXED8, DDPF_ALPHAPIXELS, DDPF_ZBUFFER, DDPF_STENCILBUFFER
  std::uint32_t zMask = 0;  // depth bits of a z-buffer
  std::uint32_t stencilMask = 0;  // stencil bits of a z-buffer with DDPF_STENCILBUFFER

  bool Palettised() const { return (flags & DDPF_PALETTEINDEXED8) != 0; }
  bool ZBuffer() const { return (flags & DDPF_ZBUFFER) != 0; }
  std::uint32_t BytesPerPixel() const { return pixels.bitsPerPixel / 8; }
  // The bits a colour key compares: every bit a channel (or the index, or
  // the depth) uses, nothing else.
  std::uint32_t KeyMask() const;
  // Whether raw pixels can be copied from one format to the other unchanged.
  bool SameLayout(const SurfaceFormat& other) const;
};

// The format surfaces get on a display of MODE's depth (16 bits is 5-6-5).
SurfaceFormat FormatForMode(const DisplayMode& mode);
// Checks and translates a caller's DDPIXELFORMAT: 8-bit palettised, RGB of
// 16, 24 or 32 bits with non-overlapping masks inside the pixel, optionally
// with alpha, or a z-buffer of 16, 24 or 32 bits, optionally with a stencil
// (DDPF_STENCILBUFFER: dwStencilBitDepth bits in dwStencilBitMask, apart from
// the depth bits). DDERR_INVALIDPIXELFORMAT
// otherwise, DDERR_INVALIDPARAMS for a wrong dwSize.
HRESULT FormatFromDescription(const DDPIXELFORMAT& format, SurfaceFormat* out);
void DescribeFormat(const SurfaceFormat& format, DDPIXELFORMAT* out);

}  // namespace platform::ddraw
