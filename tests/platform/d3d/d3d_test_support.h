// Shared set-up for the Direct3D tests: a fresh headless back end per test,
// a DirectDraw object with its Direct3D side, surfaces to render into, and a
// check that every test releases what it made.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/backend/headless/headless_backend.h"
#include "platform/d3d.h"
#include "platform/d3d/d3d_kinds.h"
#include "platform/d3drm.h"
#include "platform/faults.h"
#include "platform/system.h"
#include "platform/unknown.h"
#include "platform/window_registry.h"

namespace d3d_test {

using platform::d3d::DepthFormat;
using platform::d3d::RgbFormat;

// Collects what an enumeration of pixel formats reports, stopping after
// STOP_AFTER formats when it is not 0.
struct FormatList {
  std::vector<DDPIXELFORMAT> formats;
  size_t stopAfter = 0;
  static HRESULT CALLBACK Add(LPDDPIXELFORMAT format, LPVOID context) {
    auto* self = static_cast<FormatList*>(context);
    self->formats.push_back(*format);
    return self->stopAfter && self->formats.size() >= self->stopAfter ? D3DENUMRET_CANCEL : D3DENUMRET_OK;
  }
};

class D3DTest : public ::testing::Test {
 public:
  void SetUp() override {
    backend_.SetDesktopMode(platform::DisplayMode{640, 480, 32, 60});
    platform::Install(&backend_);
    baseline_ = platform::LiveObjectCount();
  }

  void TearDown() override {
    EXPECT_EQ(platform::LiveObjectCount(), baseline_) << "the test left platform objects alive";
    platform::Install(nullptr);
  }

  IDirectDraw7* MakeDDraw() {
    IDirectDraw7* dd = nullptr;
    EXPECT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
    if (dd) {
      EXPECT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    }
    return dd;
  }

  IDirect3D7* Direct3DOf(IDirectDraw7* dd) {
    IDirect3D7* d3d = nullptr;
    EXPECT_EQ(dd->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&d3d)), S_OK);
    return d3d;
  }

  // A 64 x 48 surface with CAPS; FORMAT null takes the display's.
  IDirectDrawSurface7* MakeSurface(IDirectDraw7* dd, DWORD caps, const DDPIXELFORMAT* format = nullptr,
                                   HRESULT expected = DD_OK) {
    DDSURFACEDESC2 d;
    std::memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | (format ? DDSD_PIXELFORMAT : 0);
    d.dwWidth = 64;
    d.dwHeight = 48;
    d.ddsCaps.dwCaps = caps;
    if (format) d.ddpfPixelFormat = *format;
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), expected);
    return s;
  }

  IDirectDrawSurface7* MakeTarget(IDirectDraw7* dd, DWORD memory = DDSCAPS_SYSTEMMEMORY) {
    return MakeSurface(dd, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | memory);
  }

  IDirectDrawSurface7* MakeDepth(IDirectDraw7* dd, const DDPIXELFORMAT& format, DWORD memory) {
    return MakeSurface(dd, DDSCAPS_ZBUFFER | memory, &format);
  }

  platform::HeadlessBackend backend_;
  long baseline_ = 0;
};

}  // namespace d3d_test
