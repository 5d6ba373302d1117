// Shared set-up of the GDI tests: a fresh headless machine per test and
// pixel memory to put device contexts on.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <cstdint>
#include <vector>

#include "platform/backend/headless/headless_backend.h"
#include "platform/gdi.h"
#include "platform/gdi/surface_dc.h"
#include "platform/pixels.h"
#include "platform/system.h"

namespace platform::gdi::testing {

class GdiTest : public ::testing::Test {
 protected:
  void SetUp() override { Install(&backend_); }
  void TearDown() override { Install(nullptr); }

  // Reinstalls the back end with a desktop of BITS bits per pixel.
  void UseDesktopDepth(DWORD bits) {
    backend_.SetDesktopMode(DisplayMode{1024, 768, bits, 60});
    Install(&backend_);
  }

  HeadlessBackend backend_;
};

// Pixel memory of its own with a surface device context over it.
class SurfaceMemory {
 public:
  SurfaceMemory(std::int32_t width, std::int32_t height, const PixelFormat& format, const PALETTEENTRY* palette = nullptr) {
    view_.width = width;
    view_.height = height;
    view_.format = format;
    view_.pitch = AlignedPitch(width, format.bitsPerPixel) + 4;  // a pitch wider than the row, as surfaces have
    view_.palette = palette;
    memory_.assign(static_cast<std::size_t>(view_.pitch) * height, 0xA5);
    view_.bits = memory_.data();
    dc_ = CreateSurfaceDC(view_);
  }
  ~SurfaceMemory() { DeleteSurfaceDC(dc_); }
  SurfaceMemory(const SurfaceMemory&) = delete;
  SurfaceMemory& operator=(const SurfaceMemory&) = delete;

  HDC dc() const { return dc_; }
  const PixelView& view() const { return view_; }
  std::uint32_t Raw(int x, int y) const { return ReadPixel(view_, x, y); }
  void SetRaw(int x, int y, std::uint32_t v) { WritePixel(view_, x, y, v); }

 private:
  std::vector<std::uint8_t> memory_;
  PixelView view_{};
  HDC dc_ = nullptr;
};

// The 20 static colours as documented: entries 0-9, then 246-255.
inline constexpr std::array<std::array<BYTE, 3>, 20> kDocumentedStatics = {{
    {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
    {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
    {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
    {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
}};

inline PALETTEENTRY Entry(BYTE r, BYTE g, BYTE b, BYTE flags = 0) { return PALETTEENTRY{r, g, b, flags}; }

// A LOGPALETTE with room for ENTRIES, as CreatePalette reads it.
inline HPALETTE MakePalette(const std::vector<PALETTEENTRY>& entries) {
  std::vector<std::uint8_t> storage(sizeof(LOGPALETTE) + entries.size() * sizeof(PALETTEENTRY));
  auto* logical = reinterpret_cast<LOGPALETTE*>(storage.data());
  logical->palVersion = 0x300;
  logical->palNumEntries = static_cast<WORD>(entries.size());
  std::memcpy(storage.data() + offsetof(LOGPALETTE, palPalEntry), entries.data(), entries.size() * sizeof(PALETTEENTRY));
  return CreatePalette(logical);
}

}  // namespace platform::gdi::testing
