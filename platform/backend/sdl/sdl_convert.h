// Converting the emulated display's pixels to the 32-bit X8R8G8B8 rows SDL
// shows, at the picture's own size or scaled (nearest neighbour) to the size
// it is shown at. Shared by the back end and its benchmark.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/backend/backend.h"

namespace platform::sdl {

// Columns [left, right) of rows [top, bottom), in pixels.
struct PixelArea {
  std::uint32_t left = 0, top = 0, right = 0, bottom = 0;
};

class FrameConverter {
 public:
  // Writes FRAME's pixels as 0x00RRGGBB into DST (PITCH bytes a row).
  // 8-bit frames go through their palette (grey without one), true-colour
  // frames through their channel masks; common layouts take a fast path.
  void Convert(const FrameView& frame, std::uint8_t* dst, std::int32_t pitch);

  // Writes the pixels of SOURCE (an area of FRAME) scaled, as the whole
  // frame is scaled to OUT_WIDTH x OUT_HEIGHT: DST is the scaled picture's
  // top-left pixel. Each output pixel takes the source pixel under its
  // centre; a whole factor repeats pixels, any other goes through tables
  // made once per size. Each source row is converted once, and the output
  // rows it fills after the first are copies.
  void ConvertScaled(const FrameView& frame, std::uint32_t outWidth, std::uint32_t outHeight, const PixelArea& source,
                     std::uint8_t* dst, std::int32_t pitch);
  // The output area SOURCE fills at the size of the last ConvertScaled (or
  // PrepareScale).
  PixelArea Scaled(const PixelArea& source) const;
  // Makes the tables for a picture of SOURCE size shown at OUT size.
  void PrepareScale(std::uint32_t sourceWidth, std::uint32_t sourceHeight, std::uint32_t outWidth,
                    std::uint32_t outHeight);

 private:
  void Prepare16(const FrameView& frame);
  void PreparePalette(const FrameView& frame);
  // Pixels [LEFT, RIGHT) of source row Y at their own size.
  void ConvertRow(const FrameView& frame, std::uint32_t y, std::uint32_t left, std::uint32_t right, std::uint32_t* out);
  // Source pixels [LEFT, RIGHT) widened to the output's scale, PIXEL(x)
  // giving source pixel x.
  template <typename Pixel>
  void Widen(Pixel pixel, std::uint32_t left, std::uint32_t right, std::uint32_t* out) const;

  std::uint32_t palette_[256] = {};
  // 16-bit value to 32-bit pixel, built once per channel layout.
  std::vector<std::uint32_t> table16_;
  std::uint32_t table16Masks_[3] = {};

  // Scaling: how many output columns each source column fills (at most
  // widest_, rounded up to whole vectors), the first output column and row
  // of each source column and row (one more entry for the end), and a row
  // of the source converted at its own size, and one at the output's.
  std::uint32_t sourceWidth_ = 0, sourceHeight_ = 0, outWidth_ = 0, outHeight_ = 0;
  std::vector<std::uint8_t> repeats_;
  std::uint32_t widest_ = 0;
  std::vector<std::uint32_t> columnStarts_;
  std::vector<std::uint32_t> rowStarts_;
  std::vector<std::uint32_t> scratch_;
  std::vector<std::uint32_t> outRow_;
};

}  // namespace platform::sdl
