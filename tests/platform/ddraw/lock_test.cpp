// Lock and Unlock, device contexts, and how they keep each other (and
// blits) out.
#include "platform/gdi.h"
#include "tests/platform/ddraw/ddraw_test_support.h"

namespace ddraw_test {
namespace {

using Locks = DDrawTest;

TEST_F(Locks, ALockHandsOutTheRectanglesFirstPixelAndThePitch) {
  IDirectDraw7* dd = MakeDDraw();
  const DDPIXELFORMAT format = Rgb888();
  IDirectDrawSurface7* s = MakeSurface(dd, 7, 5, &format);
  DDSURFACEDESC2 whole = Desc();
  ASSERT_EQ(s->Lock(nullptr, &whole, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(whole.lPitch, 24);  // 21 bytes rounded up to a multiple of 4
  EXPECT_TRUE(whole.dwFlags & DDSD_LPSURFACE);
  auto* base = static_cast<std::uint8_t*>(whole.lpSurface);
  base[3 * whole.lPitch + 2 * 3] = 0x5A;
  ASSERT_EQ(s->Unlock(nullptr), DD_OK);

  RECT r{2, 3, 6, 5};
  DDSURFACEDESC2 part = Desc();
  ASSERT_EQ(s->Lock(&r, &part, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
  EXPECT_EQ(part.lPitch, whole.lPitch);
  EXPECT_EQ(*static_cast<std::uint8_t*>(part.lpSurface), 0x5A);
  RECT other{0, 0, 1, 1};
  EXPECT_EQ(s->Unlock(&other), DDERR_INVALIDRECT);
  EXPECT_EQ(s->Unlock(&r), DD_OK);
  EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
  s->Release();
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(Locks, ASecondLockAndBlitsOnALockedSurfaceAreBusyAndBadRectanglesInvalid) {
  IDirectDraw7* dd = MakeDDraw();
  IDirectDrawSurface7* s = MakeSurface(dd, 8, 8);
  IDirectDrawSurface7* t = MakeSurface(dd, 8, 8);
  for (RECT bad : {RECT{0, 0, 9, 8}, RECT{-1, 0, 4, 4}, RECT{4, 4, 2, 6}, RECT{3, 3, 3, 5}}) {
    DDSURFACEDESC2 d = Desc();
    EXPECT_EQ(s->Lock(&bad, &d, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(d.lpSurface, nullptr);
  }
  DDSURFACEDESC2 wrongSize = Desc();
  wrongSize.dwSize = 124;
  EXPECT_EQ(s->Lock(nullptr, &wrongSize, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);

  DDSURFACEDESC2 d = Desc();
  ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
  DDSURFACEDESC2 again = Desc();
  EXPECT_EQ(s->Lock(nullptr, &again, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(FillRect(s, nullptr, 1), DDERR_SURFACEBUSY);
  EXPECT_EQ(t->BltFast(0, 0, s, nullptr, 0), DDERR_SURFACEBUSY);
  EXPECT_EQ(s->BltFast(0, 0, t, nullptr, 0), DDERR_SURFACEBUSY);
  HDC dc = nullptr;
  EXPECT_EQ(s->GetDC(&dc), DDERR_GENERIC);
  ASSERT_EQ(s->Unlock(nullptr), DD_OK);
  EXPECT_EQ(FillRect(s, nullptr, 1), DD_OK);
  s->Release();
  t->Release();
  EXPECT_EQ(dd->Release(), 0u);
}

using DeviceContexts = DDrawTest;

TEST_F(DeviceContexts, GdiDrawsIntoTheSurfaceWhileTheDcKeepsLocksOut) {
  IDirectDraw7* dd = MakeDDraw();
  const DDPIXELFORMAT format = Rgb565();
  IDirectDrawSurface7* s = MakeSurface(dd, 8, 8, &format);
  HDC dc = nullptr;
  ASSERT_EQ(s->GetDC(&dc), DD_OK);
  ASSERT_NE(dc, nullptr);
  ::SetPixel(dc, 3, 2, RGB(255, 0, 0));
  EXPECT_EQ(::GetPixel(dc, 3, 2), RGB(255, 0, 0));
  HDC second = nullptr;
  EXPECT_EQ(s->GetDC(&second), DDERR_DCALREADYCREATED);
  DDSURFACEDESC2 d = Desc();
  EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(FillRect(s, nullptr, 0), DDERR_SURFACEBUSY);
  IDirectDrawSurface7* found = nullptr;
  ASSERT_EQ(dd->GetSurfaceFromDC(dc, &found), DD_OK);
  EXPECT_EQ(found, s);
  found->Release();
  EXPECT_EQ(s->ReleaseDC(reinterpret_cast<HDC>(0x1234)), DDERR_INVALIDPARAMS);
  ASSERT_EQ(s->ReleaseDC(dc), DD_OK);
  EXPECT_EQ(s->ReleaseDC(dc), DDERR_INVALIDPARAMS);
  EXPECT_EQ(Pixel(s, 3, 2), 0xF800u);
  EXPECT_EQ(dd->GetSurfaceFromDC(dc, &found), DDERR_NOTFOUND);
  s->Release();
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(DeviceContexts, AnEightBitDcMapsColoursThroughTheAttachedPalette) {
  IDirectDraw7* dd = MakeDDraw();
  const DDPIXELFORMAT format = Indexed8();
  IDirectDrawSurface7* s = MakeSurface(dd, 4, 4, &format);
  PALETTEENTRY entries[256] = {};
  entries[77] = PALETTEENTRY{10, 200, 30, 0};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr), DD_OK);
  ASSERT_EQ(s->SetPalette(palette), DD_OK);
  HDC dc = nullptr;
  ASSERT_EQ(s->GetDC(&dc), DD_OK);
  ::SetPixel(dc, 1, 1, RGB(10, 200, 30));
  ASSERT_EQ(s->ReleaseDC(dc), DD_OK);
  EXPECT_EQ(Pixel(s, 1, 1), 77u);
  palette->Release();
  s->Release();
  EXPECT_EQ(dd->Release(), 0u);
}

}  // namespace
}  // namespace ddraw_test
