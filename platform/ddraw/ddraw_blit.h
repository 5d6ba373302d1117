// Pixel loops behind Blt, BltFast and Flip: fills, copies, colour-keyed
// copies and the general path for stretching, mirroring and constant alpha.
// Rectangles arrive already checked and clipped; nothing here allocates.
#pragma once

#include <cstdint>

#include "platform/pixels.h"
#include "platform/types.h"

namespace platform::ddraw::blit {

struct Plane {
  std::uint8_t* bits = nullptr;
  std::int32_t pitch = 0;
  std::int32_t bytesPerPixel = 0;

  std::uint8_t* At(std::int32_t x, std::int32_t y) const {
    return bits + static_cast<std::intptr_t>(y) * pitch + static_cast<std::intptr_t>(x) * bytesPerPixel;
  }
};

// A source pixel p is transparent when low <= (p & mask) <= high.
struct ColorKey {
  std::uint32_t low = 0;
  std::uint32_t high = 0;
  std::uint32_t mask = 0xFFFFFFFFu;

  bool Exact() const { return low == high; }
  bool Hides(std::uint32_t pixel) const { return (pixel & mask) - low <= high - low; }
};

// Sets every pixel of R to VALUE (its low bytesPerPixel bytes).
void Fill(const Plane& dst, const RECT& r, std::uint32_t value);

// Copies the source rectangle S to (dx, dy). When both planes share memory
// and the rectangles overlap, the result is as if S were read first.
void Copy(const Plane& dst, std::int32_t dx, std::int32_t dy, const Plane& src, const RECT& s);

// Copy that skips the source pixels KEY hides; overlap as for Copy.
void CopyKeyed(const Plane& dst, std::int32_t dx, std::int32_t dy, const Plane& src, const RECT& s,
               const ColorKey& key);

// Stretching, mirroring, keys and constant alpha in any combination. Pixel
// (x, y) of dstFull samples the source pixel whose centre is nearest to the
// centre of (x, y) mapped into srcFull; only dstPart (inside dstFull) is
// drawn, so a clipped blit shows exactly the pixels of the unclipped one.
struct Job {
  Plane dst;
  Plane src;
  RECT dstFull{};
  RECT srcFull{};
  RECT dstPart{};
  bool mirrorX = false;
  bool mirrorY = false;
  const ColorKey* key = nullptr;  // null: no key
  std::uint32_t alpha = 255;      // source weight 0..255; 255 copies
  PixelFormat format{};           // channel masks for blending
};
void Draw(const Job& job);

// One channel-wise blend of SRC over DST with weight ALPHA (0..255); bits
// outside the format's channels keep DST's value.
std::uint32_t BlendPixel(const PixelFormat& format, std::uint32_t src, std::uint32_t dst, std::uint32_t alpha);

}  // namespace platform::ddraw::blit
