// Reference counts: who keeps whom alive, and the library's whole
// build-and-teardown of a display ending with DirectDraw's count at 0.
#include <vector>

#include "tests/platform/ddraw/ddraw_test_support.h"

namespace ddraw_test {
namespace {

using ReferenceCounts = DDrawTest;

TEST_F(ReferenceCounts, ChildrenHoldTheirDirectDrawObject) {
  IDirectDraw7* dd = MakeDDraw();
  EXPECT_EQ(dd->AddRef(), 2u);
  EXPECT_EQ(dd->Release(), 1u);
  IDirectDrawSurface7* s = MakeSurface(dd, 4, 4);
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
  PALETTEENTRY entries[256] = {};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
  EXPECT_EQ(dd->AddRef(), 5u);
  EXPECT_EQ(dd->Release(), 4u);

  // Releasing the DirectDraw object first only drops the caller's share.
  EXPECT_EQ(dd->Release(), 3u);
  IDirectDraw7* back = nullptr;
  ASSERT_EQ(s->GetDDInterface(reinterpret_cast<void**>(&back)), DD_OK);
  EXPECT_EQ(back, dd);
  EXPECT_EQ(back->Release(), 3u);
  EXPECT_EQ(palette->Release(), 0u);
  EXPECT_EQ(clipper->Release(), 0u);
  const long before = platform::LiveObjectCount();
  EXPECT_EQ(s->Release(), 0u);
  EXPECT_EQ(platform::LiveObjectCount(), before - 2) << "the last child took DirectDraw with it";
}

TEST_F(ReferenceCounts, SurfacesHoldTheirClipperPaletteAndAttachedDepthBuffer) {
  IDirectDraw7* dd = MakeDDraw();
  const DDPIXELFORMAT indexed = Indexed8();
  IDirectDrawSurface7* s = MakeSurface(dd, 8, 8, &indexed);
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
  PALETTEENTRY entries[256] = {};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
  ASSERT_EQ(s->SetClipper(clipper), DD_OK);
  ASSERT_EQ(s->SetPalette(palette), DD_OK);
  EXPECT_EQ(clipper->AddRef(), 3u);
  clipper->Release();
  EXPECT_EQ(palette->AddRef(), 3u);
  palette->Release();

  IDirectDrawPalette* got = nullptr;
  ASSERT_EQ(s->GetPalette(&got), DD_OK);
  EXPECT_EQ(got, palette);
  EXPECT_EQ(got->Release(), 2u);
  EXPECT_EQ(s->SetPalette(nullptr), DD_OK);
  EXPECT_EQ(s->GetPalette(&got), DDERR_NOPALETTEATTACHED);
  EXPECT_EQ(got, nullptr);
  EXPECT_EQ(palette->Release(), 0u);

  DDPIXELFORMAT depth{};
  depth.dwSize = sizeof(depth);
  depth.dwFlags = DDPF_ZBUFFER;
  depth.dwZBufferBitDepth = 16;
  IDirectDrawSurface7* z = MakeSurface(dd, 8, 8, &depth, DDSCAPS_ZBUFFER | DDSCAPS_SYSTEMMEMORY);
  IDirectDrawSurface7* small = MakeSurface(dd, 4, 4, &depth, DDSCAPS_ZBUFFER | DDSCAPS_SYSTEMMEMORY);
  EXPECT_EQ(s->AddAttachedSurface(small), DDERR_CANNOTATTACHSURFACE);
  ASSERT_EQ(s->AddAttachedSurface(z), DD_OK);
  EXPECT_EQ(s->AddAttachedSurface(z), DDERR_SURFACEALREADYATTACHED);
  EXPECT_EQ(z->Release(), 1u) << "the attachment keeps the depth buffer";
  DDSCAPS2 want{DDSCAPS_ZBUFFER, 0, 0, {0}};
  IDirectDrawSurface7* found = nullptr;
  ASSERT_EQ(s->GetAttachedSurface(&want, &found), DD_OK);
  EXPECT_EQ(found, z);
  EXPECT_EQ(found->Release(), 1u);
  EXPECT_EQ(s->DeleteAttachedSurface(0, small), DDERR_SURFACENOTATTACHED);
  small->Release();

  EXPECT_EQ(s->Release(), 0u);
  EXPECT_EQ(clipper->Release(), 0u);
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(ReferenceCounts, ABackBufferLivesWithItsFrontAndCanOutliveIt) {
  HWND window = platform::windows::Create(RECT{0, 0, 640, 480});
  IDirectDraw7* dd = MakeDDraw(window);
  ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
  DDSURFACEDESC2 d = Desc();
  d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  d.dwBackBufferCount = 1;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  IDirectDrawSurface7* front = nullptr;
  ASSERT_EQ(dd->CreateSurface(&d, &front, nullptr), DD_OK);
  DDSCAPS2 want{DDSCAPS_BACKBUFFER, 0, 0, {0}};
  IDirectDrawSurface7* back = nullptr;
  ASSERT_EQ(front->GetAttachedSurface(&want, &back), DD_OK);
  EXPECT_EQ(back->AddRef(), 3u) << "the front's reference and ours";
  back->Release();

  // The chain is circular: the back buffer's next surface is the front.
  DDSCAPS2 frontCaps{DDSCAPS_FRONTBUFFER, 0, 0, {0}};
  IDirectDrawSurface7* again = nullptr;
  ASSERT_EQ(back->GetAttachedSurface(&frontCaps, &again), DD_OK);
  EXPECT_EQ(again, front);
  again->Release();

  EXPECT_EQ(front->Release(), 0u);
  EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
  EXPECT_EQ(FillRect(back, nullptr, 7), DD_OK) << "a cut-loose back buffer is a plain surface";
  EXPECT_EQ(back->Release(), 0u);
  EXPECT_EQ(dd->Release(), 0u);
  platform::windows::Destroy(window);
}

TEST_F(ReferenceCounts, DuplicatesShareMemoryButNotTheirCount) {
  IDirectDraw7* dd = MakeDDraw();
  IDirectDrawSurface7* s = MakeSurface(dd, 4, 4);
  IDirectDrawSurface7* copy = nullptr;
  ASSERT_EQ(dd->DuplicateSurface(s, &copy), DD_OK);
  ASSERT_EQ(FillRect(s, nullptr, 0x00123456), DD_OK);
  EXPECT_EQ(Pixel(copy, 3, 3), 0x00123456u);
  EXPECT_EQ(s->Release(), 0u);
  EXPECT_EQ(Pixel(copy, 0, 0), 0x00123456u) << "the memory lives on with the duplicate";
  EXPECT_EQ(copy->Release(), 0u);
  IDirectDrawSurface7* primary = MakePrimary(dd);
  IDirectDrawSurface7* none = nullptr;
  EXPECT_EQ(dd->DuplicateSurface(primary, &none), DDERR_CANTDUPLICATE);
  primary->Release();
  EXPECT_EQ(dd->Release(), 0u);
}

// The display component's sequence, windowed and full screen: make
// everything, then release in its order; DirectDraw's Release must be 0.
void BuildAndTearDown(DDrawTest& test, bool fullScreen) {
  HWND window = platform::windows::Create(RECT{50, 40, 690, 520});
  IDirectDraw7* dd = nullptr;
  ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
  DDCAPS driver{}, hel{};
  driver.dwSize = hel.dwSize = sizeof(DDCAPS);
  ASSERT_EQ(dd->GetCaps(&driver, &hel), DD_OK);

  IDirectDrawSurface7* primary = nullptr;
  IDirectDrawSurface7* back = nullptr;
  if (fullScreen) {
    ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT |
                                                   DDSCL_ALLOWMODEX),
              DD_OK);
    ASSERT_EQ(dd->SetDisplayMode(640, 480, 8, 0, 0), DD_OK);
    DDSURFACEDESC2 d = Desc();
    d.dwFlags = 0x21;
    d.dwBackBufferCount = 1;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    ASSERT_EQ(dd->CreateSurface(&d, &primary, nullptr), DD_OK);
    DDSCAPS2 want{DDSCAPS_BACKBUFFER, 0, 0, {0}};
    ASSERT_EQ(primary->GetAttachedSurface(&want, &back), DD_OK);
  } else {
    ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    primary = test.MakePrimary(dd);
    back = test.MakeSurface(dd, 640, 480, nullptr, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY);
  }
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);
  ASSERT_EQ(primary->SetClipper(clipper), DD_OK);
  IDirectDrawPalette* palette = nullptr;
  if (fullScreen) {
    PALETTEENTRY entries[256] = {};
    ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
    ASSERT_EQ(primary->SetPalette(palette), DD_OK);
    ASSERT_EQ(back->SetPalette(palette), DD_OK);
  }
  IDirectDrawSurface7* sheets[3];
  for (auto& sheet : sheets) {
    sheet = test.MakeSurface(dd, 256, 256, nullptr, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY);
    DDCOLORKEY key{0, 0};
    ASSERT_EQ(sheet->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  }
  ASSERT_EQ(FillRect(back, nullptr, 0), DD_OK);
  ASSERT_EQ(back->BltFast(10, 10, sheets[0], nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);

  // Release all, in the display component's order.
  for (auto& sheet : sheets) EXPECT_EQ(sheet->Release(), 0u);
  if (palette) {
    EXPECT_EQ(palette->Release(), 2u) << "the front and the back buffer hold it";
  }
  EXPECT_EQ(clipper->Release(), 1u);
  EXPECT_EQ(back->Release(), fullScreen ? 1u : 0u);
  EXPECT_EQ(primary->Release(), 0u);
  if (fullScreen) {
    EXPECT_EQ(dd->RestoreDisplayMode(), DD_OK);
  }
  EXPECT_EQ(dd->Release(), 0u);
  EXPECT_FALSE(platform::DisplayModeChanged());
  platform::windows::Destroy(window);
}

TEST_F(ReferenceCounts, TheWindowedDisplayBuildAndTeardownLeavesNothing) { BuildAndTearDown(*this, false); }

TEST_F(ReferenceCounts, TheFullScreenDisplayBuildAndTeardownLeavesNothing) { BuildAndTearDown(*this, true); }

HRESULT WINAPI CountSurface(LPDIRECTDRAWSURFACE7 surface, LPDDSURFACEDESC2 desc, LPVOID context) {
  auto* widths = static_cast<std::vector<DWORD>*>(context);
  widths->push_back(desc->dwWidth);
  surface->Release();  // the callback owns the reference it gets
  return DDENUMRET_OK;
}

TEST_F(ReferenceCounts, EnumeratedAndLookedUpSurfacesComeWithAReference) {
  IDirectDraw7* dd = MakeDDraw();
  IDirectDrawSurface7* primary = MakePrimary(dd);
  IDirectDrawSurface7* small = MakeSurface(dd, 3, 3);
  IDirectDrawSurface7* wide = MakeSurface(dd, 50, 3, nullptr, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY);
  std::vector<DWORD> widths;
  ASSERT_EQ(dd->EnumSurfaces(DDENUMSURFACES_DOESEXIST | DDENUMSURFACES_ALL, nullptr, &widths, CountSurface), DD_OK);
  EXPECT_EQ(widths, (std::vector<DWORD>{640, 3, 50}));
  DDSURFACEDESC2 video = Desc();
  video.dwFlags = DDSD_CAPS;
  video.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
  widths.clear();
  ASSERT_EQ(dd->EnumSurfaces(DDENUMSURFACES_DOESEXIST | DDENUMSURFACES_MATCH, &video, &widths, CountSurface), DD_OK);
  EXPECT_EQ(widths, (std::vector<DWORD>{50}));

  IDirectDrawSurface7* gdi = nullptr;
  ASSERT_EQ(dd->GetGDISurface(&gdi), DD_OK);
  EXPECT_EQ(gdi, primary);
  EXPECT_EQ(gdi->Release(), 1u);
  EXPECT_EQ(small->Release(), 0u);
  EXPECT_EQ(wide->Release(), 0u);
  EXPECT_EQ(primary->Release(), 0u);
  EXPECT_EQ(dd->GetGDISurface(&gdi), DDERR_NOTFOUND);
  EXPECT_EQ(dd->Release(), 0u);
}

}  // namespace
}  // namespace ddraw_test
