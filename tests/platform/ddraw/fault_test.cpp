// Fault injection: every call answers to its own name, clears its
// out-parameters, returns the injected code and does nothing else.
#include <functional>
#include <string>
#include <vector>

#include "tests/platform/ddraw/ddraw_test_support.h"

namespace ddraw_test {
namespace {

constexpr HRESULT kInjected = MAKE_DDHRESULT(999);

using FaultInjection = DDrawTest;

TEST_F(FaultInjection, CreationCallsClearTheirResultAndFailOnce) {
  IDirectDraw7* dd = reinterpret_cast<IDirectDraw7*>(0x1);
  platform::InjectFault("DirectDrawCreateEx", DDERR_NODIRECTDRAWHW);
  EXPECT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr),
            DDERR_NODIRECTDRAWHW);
  EXPECT_EQ(dd, nullptr);
  EXPECT_EQ(platform::FaultHits("DirectDrawCreateEx"), 1);
  dd = MakeDDraw();

  IDirectDrawSurface7* s = reinterpret_cast<IDirectDrawSurface7*>(0x1);
  DDSURFACEDESC2 d = Desc();
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  d.dwWidth = d.dwHeight = 8;
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
  platform::InjectFault("IDirectDraw7::CreateSurface", DDERR_OUTOFVIDEOMEMORY, platform::FaultMode::Always);
  EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DDERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(s, nullptr);
  EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DDERR_OUTOFVIDEOMEMORY);
  DWORD total = 0, free = 0;
  DDSCAPS2 video{DDSCAPS_VIDEOMEMORY, 0, 0, {0}};
  ASSERT_EQ(dd->GetAvailableVidMem(&video, &total, &free), DD_OK);
  EXPECT_EQ(free, total) << "an injected failure takes no memory";
  platform::ClearFault("IDirectDraw7::CreateSurface");
  ASSERT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
  s->Release();
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(FaultInjection, EveryCallTheLibraryMakesAnswersToItsName) {
  HWND window = platform::windows::Create(RECT{0, 0, 64, 64});
  IDirectDraw7* dd = MakeDDraw(window);
  IDirectDrawSurface7* primary = MakePrimary(dd);
  IDirectDrawSurface7* s = MakeSurface(dd, 8, 8);
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
  PALETTEENTRY entries[256] = {};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
  ASSERT_EQ(FillRect(s, nullptr, 0x00123456), DD_OK);

  struct Call {
    const char* name;
    std::function<HRESULT()> run;
  };
  DDCAPS caps{};
  caps.dwSize = sizeof(caps);
  DDSURFACEDESC2 desc = Desc();
  DDSCAPS2 scaps{};
  HDC dc = reinterpret_cast<HDC>(0x1);
  IDirectDrawSurface7* attached = reinterpret_cast<IDirectDrawSurface7*>(0x1);
  DDCOLORKEY key{1, 1};
  const std::vector<Call> calls = {
      {"DirectDrawEnumerateA",
       [] { return DirectDrawEnumerateA([](GUID*, LPSTR, LPSTR, LPVOID) -> BOOL { return TRUE; }, nullptr); }},
      {"IDirectDraw7::SetCooperativeLevel", [&] { return dd->SetCooperativeLevel(window, DDSCL_NORMAL); }},
      {"IDirectDraw7::EnumDisplayModes",
       [&] { return dd->EnumDisplayModes(0, nullptr, nullptr, [](LPDDSURFACEDESC2, LPVOID) { return DDENUMRET_OK; }); }},
      {"IDirectDraw7::SetDisplayMode", [&] { return dd->SetDisplayMode(640, 480, 8, 0, 0); }},
      {"IDirectDraw7::RestoreDisplayMode", [&] { return dd->RestoreDisplayMode(); }},
      {"IDirectDraw7::GetCaps", [&] { return dd->GetCaps(&caps, nullptr); }},
      {"IDirectDraw7::WaitForVerticalBlank", [&] { return dd->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr); }},
      {"IDirectDraw7::FlipToGDISurface", [&] { return dd->FlipToGDISurface(); }},
      {"IDirectDraw7::CreateClipper",
       [&] {
         IDirectDrawClipper* c = reinterpret_cast<IDirectDrawClipper*>(0x1);
         const HRESULT hr = dd->CreateClipper(0, &c, nullptr);
         EXPECT_EQ(c, nullptr);
         return hr;
       }},
      {"IDirectDraw7::CreatePalette",
       [&] {
         IDirectDrawPalette* p = reinterpret_cast<IDirectDrawPalette*>(0x1);
         const HRESULT hr = dd->CreatePalette(DDPCAPS_8BIT, entries, &p, nullptr);
         EXPECT_EQ(p, nullptr);
         return hr;
       }},
      {"IDirectDrawSurface7::GetSurfaceDesc",
       [&] {
         desc.dwWidth = 99;
         const HRESULT hr = s->GetSurfaceDesc(&desc);
         EXPECT_EQ(desc.dwWidth, 0u);
         return hr;
       }},
      {"IDirectDrawSurface7::GetCaps", [&] { return s->GetCaps(&scaps); }},
      {"IDirectDrawSurface7::Lock",
       [&] {
         const HRESULT hr = s->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
         EXPECT_EQ(desc.lpSurface, nullptr);
         return hr;
       }},
      {"IDirectDrawSurface7::Unlock", [&] { return s->Unlock(nullptr); }},
      {"IDirectDrawSurface7::GetDC",
       [&] {
         const HRESULT hr = s->GetDC(&dc);
         EXPECT_EQ(dc, nullptr);
         return hr;
       }},
      {"IDirectDrawSurface7::ReleaseDC", [&] { return s->ReleaseDC(dc); }},
      {"IDirectDrawSurface7::SetColorKey", [&] { return s->SetColorKey(DDCKEY_SRCBLT, &key); }},
      {"IDirectDrawSurface7::Blt", [&] { return FillRect(s, nullptr, 0); }},
      {"IDirectDrawSurface7::BltFast", [&] { return primary->BltFast(0, 0, s, nullptr, 0); }},
      {"IDirectDrawSurface7::Flip", [&] { return primary->Flip(nullptr, DDFLIP_WAIT); }},
      {"IDirectDrawSurface7::GetAttachedSurface",
       [&] {
         const HRESULT hr = primary->GetAttachedSurface(&scaps, &attached);
         EXPECT_EQ(attached, nullptr);
         return hr;
       }},
      {"IDirectDrawSurface7::AddAttachedSurface", [&] { return primary->AddAttachedSurface(s); }},
      {"IDirectDrawSurface7::DeleteAttachedSurface", [&] { return primary->DeleteAttachedSurface(0, s); }},
      {"IDirectDrawSurface7::SetClipper", [&] { return primary->SetClipper(clipper); }},
      {"IDirectDrawSurface7::SetPalette", [&] { return s->SetPalette(palette); }},
      {"IDirectDrawSurface7::GetPalette",
       [&] {
         IDirectDrawPalette* p = reinterpret_cast<IDirectDrawPalette*>(0x1);
         const HRESULT hr = s->GetPalette(&p);
         EXPECT_EQ(p, nullptr);
         return hr;
       }},
      {"IDirectDrawSurface7::IsLost", [&] { return s->IsLost(); }},
      {"IDirectDrawSurface7::Restore", [&] { return s->Restore(); }},
      {"IDirectDrawClipper::SetHWnd", [&] { return clipper->SetHWnd(0, window); }},
      {"IDirectDrawPalette::SetEntries", [&] { return palette->SetEntries(0, 0, 256, entries); }},
      {"IDirectDrawPalette::GetEntries", [&] { return palette->GetEntries(0, 0, 256, entries); }},
  };
  const auto frames = backend_.FramesPresented();
  for (const Call& call : calls) {
    platform::InjectFault(call.name, kInjected);
    EXPECT_EQ(call.run(), kInjected) << call.name;
    EXPECT_EQ(platform::FaultHits(call.name), 1) << call.name;
  }
  EXPECT_EQ(Pixel(s, 0, 0), 0x00123456u) << "failed blits drew nothing";
  EXPECT_EQ(backend_.FramesPresented(), frames);
  DDSURFACEDESC2 check = Desc();
  EXPECT_EQ(s->Lock(nullptr, &check, DDLOCK_WAIT, nullptr), DD_OK) << "the failed Lock left the surface unlocked";
  EXPECT_EQ(s->Unlock(nullptr), DD_OK);
  palette->Release();
  clipper->Release();
  s->Release();
  primary->Release();
  EXPECT_EQ(dd->Release(), 0u);
  platform::windows::Destroy(window);
}

}  // namespace
}  // namespace ddraw_test
