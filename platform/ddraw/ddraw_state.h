// DirectDraw's process-wide state: pixel memory blocks, the video-memory
// budget, the emulated desktop's memory and the exclusive owner. Installing a
// back end (platform::Install) resets all of it.
#pragma once

#include <cstdint>

#include "platform/backend/backend.h"
#include "platform/ddraw.h"

namespace platform::ddraw {

class DirectDraw;

// Pixel memory that one surface, its duplicates or a flip chain's rotation
// share. Counted separately from the COM objects because Flip moves blocks
// between surfaces and DuplicateSurface shares one between two.
class PixelBlock {
 public:
  // Rows of PITCH bytes (a multiple of 4); zero-filled. Video memory is taken
  // from the budget: DDERR_OUTOFVIDEOMEMORY when it does not fit,
  // DDERR_OUTOFMEMORY when the allocation fails.
  static HRESULT Create(std::int32_t width, std::int32_t height, std::uint32_t bitsPerPixel, bool videoMemory,
                        PixelBlock** out);

  void AddRef() { ++refs_; }
  void Release();

  std::uint8_t* Bits() const { return bits_; }
  std::int32_t Pitch() const { return pitch_; }
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  std::uint32_t BitsPerPixel() const { return bitsPerPixel_; }
  bool VideoMemory() const { return video_; }
  std::uint64_t Bytes() const { return bytes_; }

  // Changes whenever the contents may have changed; values are unique across
  // all blocks, so a cached value also proves the block is the same one.
  std::uint64_t Version() const { return version_; }
  void Touch();
  // Fills every byte with the repeating pattern DE AD BE EF.
  void FillGarbage();
  // Whether the pattern is all the block holds: nothing touched it since.
  bool HoldsGarbage() const { return version_ == garbageVersion_; }

 private:
  PixelBlock() = default;
  ~PixelBlock();

  int refs_ = 1;
  std::uint8_t* bits_ = nullptr;
  std::int32_t pitch_ = 0;
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::uint32_t bitsPerPixel_ = 0;
  bool video_ = false;
  std::uint64_t bytes_ = 0;
  std::uint64_t budgetEpoch_ = 0;
  std::uint64_t version_ = 0;
  std::uint64_t garbageVersion_ = 0;  // the version FillGarbage left; 0: never
};

// --- video memory ------------------------------------------------------------
std::uint64_t VideoMemoryTotal();
std::uint64_t VideoMemoryFree();

// --- the emulated desktop ------------------------------------------------------
// The desktop's memory in the current display mode, made (or remade after a
// mode change) on demand; null only when memory ran out. Generation changes
// every time the memory is remade.
struct DesktopView {
  PixelBlock* block = nullptr;  // not referenced: AddRef to keep it
  DisplayMode mode{};
  std::uint64_t generation = 0;
};
DesktopView Desktop();
// The generation without remaking anything (for cheap staleness checks).
std::uint64_t DesktopGeneration();

// --- exclusive mode --------------------------------------------------------------
DirectDraw* ExclusiveOwner();
void SetExclusiveOwner(DirectDraw* owner);

bool SameMode(const DisplayMode& a, const DisplayMode& b);

}  // namespace platform::ddraw
