// The per-frame calls (Blt, BltFast, Flip, Lock, WaitForVerticalBlank)
// allocate nothing: this executable counts every operator new.
#include "tests/platform/ddraw/ddraw_test_support.h"
#include "tests/support/allocation_count.h"

namespace ddraw_test {
namespace {

// Presents are counted but not kept: the back end's own storage is not
// what is measured here.
class CountingBackend : public platform::HeadlessBackend {
 public:
  void Present(const platform::FrameView&) override { ++presents; }
  int presents = 0;
};

class PerFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_.SetDesktopMode(platform::DisplayMode{640, 480, 32, 60});
    platform::Install(&backend_);
  }
  void TearDown() override { platform::Install(nullptr); }

  CountingBackend backend_;
};

IDirectDrawSurface7* Make(IDirectDraw7* dd, DWORD w, DWORD h, DWORD caps) {
  DDSURFACEDESC2 d = Desc();
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  d.dwWidth = w;
  d.dwHeight = h;
  d.ddsCaps.dwCaps = caps;
  IDirectDrawSurface7* s = nullptr;
  EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
  return s;
}

TEST_F(PerFrame, AWindowedFrameAllocatesNothing) {
  HWND window = platform::windows::Create(RECT{10, 10, 330, 250});
  IDirectDraw7* dd = nullptr;
  ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
  ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
  DDSURFACEDESC2 p = Desc();
  p.dwFlags = DDSD_CAPS;
  p.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface7* primary = nullptr;
  ASSERT_EQ(dd->CreateSurface(&p, &primary, nullptr), DD_OK);
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);
  ASSERT_EQ(primary->SetClipper(clipper), DD_OK);
  IDirectDrawSurface7* back = Make(dd, 320, 240, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY);
  IDirectDrawSurface7* sheet = Make(dd, 256, 256, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY);
  DDCOLORKEY key{0, 0};
  ASSERT_EQ(sheet->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  DDBLTFX fx = Fx();
  fx.dwAlphaSrcConstBitDepth = 8;
  fx.dwAlphaSrcConst = 100;

  const long before = AllocationCount();
  for (int frame = 0; frame < 50; ++frame) {
    ASSERT_EQ(FillRect(back, nullptr, 0x00102030), DD_OK);
    for (int i = 0; i < 40; ++i) {
      RECT cell{(i % 16) * 16, (i / 16) * 16, (i % 16) * 16 + 16, (i / 16) * 16 + 16};
      ASSERT_EQ(back->BltFast(static_cast<DWORD>(i * 7), static_cast<DWORD>(i * 5), sheet, &cell,
                              DDBLTFAST_SRCCOLORKEY),
                DD_OK);
    }
    RECT big{0, 0, 64, 64};
    RECT cell{0, 0, 16, 16};
    ASSERT_EQ(back->Blt(&big, sheet, &cell, DDBLT_KEYSRC, &fx), DD_OK);
    ASSERT_EQ(back->Blt(&cell, sheet, &cell, DDBLT_KEYSRC | DDBLT_ALPHASRCCONSTOVERRIDE, &fx), DD_OK);
    DDSURFACEDESC2 locked = Desc();
    ASSERT_EQ(back->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    ASSERT_EQ(back->Unlock(nullptr), DD_OK);
    ASSERT_EQ(dd->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
    RECT client{10, 10, 330, 250};
    ASSERT_EQ(primary->Blt(&client, back, nullptr, DDBLT_WAIT, &fx), DD_OK);
  }
  EXPECT_EQ(AllocationCount() - before, 0);
  EXPECT_EQ(backend_.presents, 50);

  sheet->Release();
  back->Release();
  clipper->Release();
  primary->Release();
  EXPECT_EQ(dd->Release(), 0u);
  platform::windows::Destroy(window);
}

TEST_F(PerFrame, AFullScreenFlipAllocatesNothing) {
  HWND window = platform::windows::Create(RECT{0, 0, 640, 480});
  IDirectDraw7* dd = nullptr;
  ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
  ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
  ASSERT_EQ(dd->SetDisplayMode(640, 480, 8, 0, 0), DD_OK);
  DDSURFACEDESC2 d = Desc();
  d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  d.dwBackBufferCount = 1;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  IDirectDrawSurface7* front = nullptr;
  ASSERT_EQ(dd->CreateSurface(&d, &front, nullptr), DD_OK);
  DDSCAPS2 want{DDSCAPS_BACKBUFFER, 0, 0, {0}};
  IDirectDrawSurface7* back = nullptr;
  ASSERT_EQ(front->GetAttachedSurface(&want, &back), DD_OK);

  const long before = AllocationCount();
  for (int frame = 0; frame < 50; ++frame) {
    ASSERT_EQ(FillRect(back, nullptr, static_cast<DWORD>(frame)), DD_OK);
    ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  }
  EXPECT_EQ(AllocationCount() - before, 0);
  EXPECT_EQ(backend_.presents, 50);
  back->Release();
  front->Release();
  EXPECT_EQ(dd->Release(), 0u);
  platform::windows::Destroy(window);
}

}  // namespace
}  // namespace ddraw_test
