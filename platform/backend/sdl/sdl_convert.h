// Converting the emulated display's pixels to the 32-bit X8R8G8B8 rows the
// SDL texture holds. Shared by the back end and its benchmark.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/backend/backend.h"

namespace platform::sdl {

class FrameConverter {
 public:
  // Writes FRAME's pixels as 0x00RRGGBB into DST (PITCH bytes a row).
  // 8-bit frames go through their palette (grey without one), true-colour
  // frames through their channel masks; common layouts take a fast path.
  void Convert(const FrameView& frame, std::uint8_t* dst, std::int32_t pitch);

 private:
  void Prepare16(const FrameView& frame);

  std::uint32_t palette_[256] = {};
  // 16-bit value to 32-bit pixel, built once per channel layout.
  std::vector<std::uint32_t> table16_;
  std::uint32_t table16Masks_[3] = {};
};

}  // namespace platform::sdl
