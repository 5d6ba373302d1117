// Shared set-up for the DirectDraw tests: a fresh headless back end per
// test, surface helpers, and a check that every test releases what it made.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/backend/headless/headless_backend.h"
#include "platform/ddraw.h"
#include "platform/faults.h"
#include "platform/system.h"
#include "platform/unknown.h"
#include "platform/window_registry.h"

namespace ddraw_test {

inline DDPIXELFORMAT RgbFormat(DWORD bits, DWORD r, DWORD g, DWORD b, DWORD a = 0) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof(f);
  f.dwFlags = DDPF_RGB | (a ? DDPF_ALPHAPIXELS : 0);
  f.dwRGBBitCount = bits;
  f.dwRBitMask = r;
  f.dwGBitMask = g;
  f.dwBBitMask = b;
  f.dwRGBAlphaBitMask = a;
  return f;
}

inline DDPIXELFORMAT Indexed8() {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof(f);
  f.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
  f.dwRGBBitCount = 8;
  return f;
}
inline DDPIXELFORMAT Rgb565() { return RgbFormat(16, 0xF800, 0x07E0, 0x001F); }
inline DDPIXELFORMAT Rgb555() { return RgbFormat(16, 0x7C00, 0x03E0, 0x001F); }
inline DDPIXELFORMAT Rgb888() { return RgbFormat(24, 0xFF0000, 0x00FF00, 0x0000FF); }
inline DDPIXELFORMAT Xrgb8888() { return RgbFormat(32, 0xFF0000, 0x00FF00, 0x0000FF); }
inline DDPIXELFORMAT Argb8888() { return RgbFormat(32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000); }

inline DDSURFACEDESC2 Desc() {
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof(d);
  return d;
}

inline DDBLTFX Fx() {
  DDBLTFX fx{};
  fx.dwSize = sizeof(fx);
  return fx;
}

class DDrawTest : public ::testing::Test {
 public:
  void SetUp() override {
    backend_.SetDesktopMode(platform::DisplayMode{640, 480, 32, 60});
    platform::Install(&backend_);
    baseline_ = platform::LiveObjectCount();
  }

  void TearDown() override {
    EXPECT_EQ(platform::LiveObjectCount(), baseline_) << "the test left DirectDraw objects alive";
    platform::Install(nullptr);
  }

  // A DirectDraw object at DDSCL_NORMAL for WINDOW (may be null).
  IDirectDraw7* MakeDDraw(HWND window = nullptr) {
    IDirectDraw7* dd = nullptr;
    EXPECT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
    if (dd) {
      EXPECT_EQ(dd->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    }
    return dd;
  }

  // An off-screen surface; FORMAT null takes the display's.
  IDirectDrawSurface7* MakeSurface(IDirectDraw7* dd, DWORD width, DWORD height, const DDPIXELFORMAT* format = nullptr,
                                   DWORD caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY) {
    DDSURFACEDESC2 d = Desc();
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | (format ? DDSD_PIXELFORMAT : 0);
    d.dwWidth = width;
    d.dwHeight = height;
    d.ddsCaps.dwCaps = caps;
    if (format) d.ddpfPixelFormat = *format;
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
    return s;
  }

  IDirectDrawSurface7* MakePrimary(IDirectDraw7* dd) {
    DDSURFACEDESC2 d = Desc();
    d.dwFlags = DDSD_CAPS;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
    return s;
  }

  platform::HeadlessBackend backend_;
  long baseline_ = 0;
};

// Raw pixel access through Lock, as an application would do it.
inline std::uint32_t Pixel(IDirectDrawSurface7* s, int x, int y) {
  DDSURFACEDESC2 d = Desc();
  EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
  if (!d.lpSurface) return 0xBAD0BAD0u;
  const int bytes = static_cast<int>(d.ddpfPixelFormat.dwRGBBitCount / 8);
  const auto* p = static_cast<const std::uint8_t*>(d.lpSurface) + y * d.lPitch + x * bytes;
  std::uint32_t v = 0;
  std::memcpy(&v, p, static_cast<size_t>(bytes));
  EXPECT_EQ(s->Unlock(nullptr), DD_OK);
  return v;
}

inline void SetPixel(IDirectDrawSurface7* s, int x, int y, std::uint32_t v) {
  DDSURFACEDESC2 d = Desc();
  ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
  const int bytes = static_cast<int>(d.ddpfPixelFormat.dwRGBBitCount / 8);
  std::memcpy(static_cast<std::uint8_t*>(d.lpSurface) + y * d.lPitch + x * bytes, &v, static_cast<size_t>(bytes));
  ASSERT_EQ(s->Unlock(nullptr), DD_OK);
}

inline HRESULT FillRect(IDirectDrawSurface7* s, const RECT* r, DWORD color) {
  DDBLTFX fx = Fx();
  fx.dwFillColor = color;
  return s->Blt(const_cast<RECT*>(r), nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

}  // namespace ddraw_test
