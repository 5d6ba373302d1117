#include "platform/ddraw/ddraw_state.h"

#include <cstring>
#include <new>

#include "platform/pixels.h"
#include "platform/system.h"

namespace platform::ddraw {
namespace {

// Blocks start 32-byte aligned, so whole-surface fills and copies begin on a
// vector boundary.
constexpr std::align_val_t kAlignment{32};

struct State {
  std::uint64_t videoUsed = 0;
  // Blocks remember the epoch they were charged in; after a reset their
  // bytes are no longer on the books and must not be given back.
  std::uint64_t budgetEpoch = 1;
  PixelBlock* desktop = nullptr;
  DisplayMode desktopMode{};
  std::uint64_t desktopGeneration = 0;
  DirectDraw* exclusive = nullptr;
};

State& S() {
  static State state;
  return state;
}

std::uint64_t& VersionCounter() {
  static std::uint64_t counter = 0;
  return counter;
}

void Reset() {
  auto& s = S();
  if (s.desktop) s.desktop->Release();
  s.desktop = nullptr;
  s.desktopMode = DisplayMode{};
  ++s.desktopGeneration;
  s.videoUsed = 0;
  ++s.budgetEpoch;
  s.exclusive = nullptr;
}

const bool registered = (RegisterReset(Reset), true);

}  // namespace

bool SameMode(const DisplayMode& a, const DisplayMode& b) {
  return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel &&
         a.refreshRate == b.refreshRate;
}

HRESULT PixelBlock::Create(std::int32_t width, std::int32_t height, std::uint32_t bitsPerPixel, bool videoMemory,
                           PixelBlock** out) {
  *out = nullptr;
  const std::int32_t pitch = AlignedPitch(width, bitsPerPixel);
  const std::uint64_t bytes = static_cast<std::uint64_t>(pitch) * static_cast<std::uint64_t>(height);
  auto& s = S();
  if (videoMemory && bytes > VideoMemoryFree()) return DDERR_OUTOFVIDEOMEMORY;
  auto* memory = static_cast<std::uint8_t*>(::operator new(bytes ? bytes : 1, kAlignment, std::nothrow));
  if (!memory) return DDERR_OUTOFMEMORY;
  std::memset(memory, 0, bytes);
  auto* block = new (std::nothrow) PixelBlock();
  if (!block) {
    ::operator delete(memory, kAlignment);
    return DDERR_OUTOFMEMORY;
  }
  block->bits_ = memory;
  block->pitch_ = pitch;
  block->width_ = width;
  block->height_ = height;
  block->bitsPerPixel_ = bitsPerPixel;
  block->bytes_ = bytes;
  block->version_ = ++VersionCounter();
  if (videoMemory) {
    block->video_ = true;
    block->budgetEpoch_ = s.budgetEpoch;
    s.videoUsed += bytes;
  }
  *out = block;
  return DD_OK;
}

PixelBlock::~PixelBlock() {
  auto& s = S();
  if (video_ && budgetEpoch_ == s.budgetEpoch) s.videoUsed -= bytes_;
  ::operator delete(bits_, kAlignment);
}

void PixelBlock::Release() {
  if (--refs_ == 0) delete this;
}

void PixelBlock::Touch() { version_ = ++VersionCounter(); }

void PixelBlock::FillGarbage() {
  static constexpr std::uint8_t kPattern[4] = {0xDE, 0xAD, 0xBE, 0xEF};
  for (std::uint64_t i = 0; i < bytes_; ++i) bits_[i] = kPattern[i & 3];
  Touch();
  garbageVersion_ = version_;
}

std::uint64_t VideoMemoryTotal() { return HasBackend() ? CurrentBackend().VideoMemoryBytes() : 0; }

std::uint64_t VideoMemoryFree() {
  const std::uint64_t total = VideoMemoryTotal();
  const std::uint64_t used = S().videoUsed;
  return used >= total ? 0 : total - used;
}

DesktopView Desktop() {
  auto& s = S();
  const DisplayMode mode = CurrentDisplayMode();
  if (!s.desktop || !SameMode(mode, s.desktopMode)) {
    if (s.desktop) s.desktop->Release();
    s.desktop = nullptr;
    ++s.desktopGeneration;
    s.desktopMode = mode;
    const std::uint32_t bits = PixelFormat::ForDisplayDepth(mode.bitsPerPixel).bitsPerPixel;
    PixelBlock::Create(static_cast<std::int32_t>(mode.width), static_cast<std::int32_t>(mode.height), bits, false,
                       &s.desktop);
  }
  return DesktopView{s.desktop, s.desktopMode, s.desktopGeneration};
}

std::uint64_t DesktopGeneration() { return S().desktopGeneration; }

DirectDraw* ExclusiveOwner() { return S().exclusive; }
void SetExclusiveOwner(DirectDraw* owner) { S().exclusive = owner; }

}  // namespace platform::ddraw
