// Failures report a code from the call's documented result list: each row is
// a call refused for a reason the list has no code of its own for, and the
// documented code it answers with.
#include <functional>
#include <vector>

#include "tests/platform/ddraw/ddraw_test_support.h"

namespace ddraw_test {
namespace {

constexpr DWORD kExclusive = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN;

struct Row {
  const char* call;
  std::function<HRESULT()> run;
  HRESULT expected;
};

class DocumentedResults : public DDrawTest {
 public:
  void SetUp() override {
    DDrawTest::SetUp();
    window_ = platform::windows::Create(RECT{0, 0, 640, 480});
    dd_ = MakeDDraw(window_);
    ASSERT_EQ(dd_->SetCooperativeLevel(window_, kExclusive), DD_OK);
    DDSURFACEDESC2 d = Desc();
    d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    d.dwBackBufferCount = 1;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    ASSERT_EQ(dd_->CreateSurface(&d, &front_, nullptr), DD_OK);
    const DDPIXELFORMAT rgb = Rgb565();
    rgb_ = MakeSurface(dd_, 16, 16, &rgb);
    PALETTEENTRY entries[256] = {};
    ASSERT_EQ(dd_->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette_, nullptr), DD_OK);
  }
  void TearDown() override {
    palette_->Release();
    rgb_->Release();
    front_->Release();
    EXPECT_EQ(dd_->Release(), 0u);
    platform::windows::Destroy(window_);
    DDrawTest::TearDown();
  }

  HRESULT Create(DWORD flags, DWORD caps, DWORD caps2 = 0) {
    DDSURFACEDESC2 d = Desc();
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | flags;
    d.dwWidth = d.dwHeight = 8;
    d.ddsCaps.dwCaps = caps;
    d.ddsCaps.dwCaps2 = caps2;
    IDirectDrawSurface7* s = nullptr;
    const HRESULT hr = dd_->CreateSurface(&d, &s, nullptr);
    if (s) s->Release();
    return hr;
  }

  HWND window_ = nullptr;
  IDirectDraw7* dd_ = nullptr;
  IDirectDrawSurface7* front_ = nullptr;
  IDirectDrawSurface7* rgb_ = nullptr;
  IDirectDrawPalette* palette_ = nullptr;
};

TEST_F(DocumentedResults, RefusalsUseTheCodesEachCallDocuments) {
  IUnknown* outer = reinterpret_cast<IUnknown*>(0x10);
  IDirectDrawClipper* clipper = nullptr;
  IDirectDrawPalette* palette = nullptr;
  PALETTEENTRY entries[256] = {};
  DDBLTFX fx = Fx();
  RECT left{0, 0, 8, 8}, wide{2, 0, 14, 8};
  DWORD seconds = 0;
  const auto enumerateNothing = [](LPDIRECTDRAWSURFACE7, LPDDSURFACEDESC2, LPVOID) -> HRESULT {
    return DDENUMRET_OK;
  };
  const std::vector<Row> rows = {
      {"SetPalette onto 16-bit", [&] { return rgb_->SetPalette(palette_); }, DDERR_INVALIDPIXELFORMAT},
      {"SetColorKey DESTBLT", [&] { return rgb_->SetColorKey(DDCKEY_DESTBLT, nullptr); }, DDERR_UNSUPPORTED},
      {"Blt KEYDEST", [&] { return rgb_->Blt(nullptr, rgb_, nullptr, DDBLT_KEYDEST, nullptr); }, DDERR_UNSUPPORTED},
      {"Blt KEYSRC without a key",
       [&] { return rgb_->Blt(nullptr, rgb_, nullptr, DDBLT_KEYSRC, nullptr); }, DDERR_INVALIDPARAMS},
      {"Blt stretched over itself", [&] { return rgb_->Blt(&wide, rgb_, &left, 0, &fx); }, DDERR_UNSUPPORTED},
      {"BltFast DESTCOLORKEY",
       [&] { return rgb_->BltFast(0, 0, rgb_, nullptr, DDBLTFAST_DESTCOLORKEY); }, DDERR_UNSUPPORTED},
      {"Flip STEREO", [&] { return front_->Flip(nullptr, DDFLIP_STEREO); }, DDERR_UNSUPPORTED},
      {"GetFlipStatus off a chain", [&] { return rgb_->GetFlipStatus(DDGFS_CANFLIP); }, DDERR_INVALIDSURFACETYPE},
      {"AddOverlayDirtyRect", [&] { return rgb_->AddOverlayDirtyRect(&left); }, DDERR_INVALIDSURFACETYPE},
      {"EnumOverlayZOrders",
       [&] { return rgb_->EnumOverlayZOrders(DDENUMOVERLAYZ_FRONTTOBACK, nullptr, enumerateNothing); }, DD_OK},
      {"UpdateOverlayDisplay", [&] { return rgb_->UpdateOverlayDisplay(0); }, DDERR_UNSUPPORTED},
      {"CreateClipper aggregated", [&] { return dd_->CreateClipper(0, &clipper, outer); }, DDERR_INVALIDPARAMS},
      {"DirectDrawCreateClipper aggregated",
       [&] { return DirectDrawCreateClipper(0, &clipper, outer); }, DDERR_INVALIDPARAMS},
      {"CreatePalette aggregated",
       [&] { return dd_->CreatePalette(DDPCAPS_8BIT, entries, &palette, outer); }, DDERR_INVALIDPARAMS},
      {"CreateSurface client memory", [&] { return Create(DDSD_LPSURFACE, 0); }, DDERR_INVALIDPARAMS},
      {"CreateSurface alpha", [&] { return Create(0, DDSCAPS_ALPHA); }, DDERR_NOALPHAHW},
      {"CreateSurface optimized", [&] { return Create(0, DDSCAPS_OPTIMIZED); }, DDERR_INVALIDCAPS},
      {"CreateSurface cube map", [&] { return Create(0, DDSCAPS_TEXTURE, DDSCAPS2_CUBEMAP); }, DDERR_INVALIDCAPS},
      {"CreateSurface non-local",
       [&] { return Create(0, DDSCAPS_VIDEOMEMORY | DDSCAPS_NONLOCALVIDMEM); }, DDERR_OUTOFVIDEOMEMORY},
      {"SetCooperativeLevel focus window",
       [&] { return dd_->SetCooperativeLevel(window_, DDSCL_SETFOCUSWINDOW); }, DDERR_INVALIDPARAMS},
      {"StartModeTest", [&] { return dd_->StartModeTest(nullptr, 0, 0); }, DDERR_TESTFINISHED},
      {"StartModeTest ISTESTREQUIRED",
       [&] { return dd_->StartModeTest(nullptr, 0, DDSMT_ISTESTREQUIRED); }, DDERR_NODRIVERSUPPORT},
      {"EvaluateMode", [&] { return dd_->EvaluateMode(0, &seconds); }, DDERR_TESTFINISHED},
      // The focus goes: the exclusive primary is lost.
      {"FlipToGDISurface of a lost primary",
       [&] {
         platform::SetAppActive(false);
         const HRESULT hr = dd_->FlipToGDISurface();
         platform::SetAppActive(true);
         return hr;
       },
       DDERR_NOTFOUND},
      {"Flip after leaving exclusive mode",
       [&] {
         EXPECT_EQ(dd_->SetCooperativeLevel(window_, DDSCL_NORMAL), DD_OK);
         return front_->Flip(nullptr, DDFLIP_WAIT);
       },
       DDERR_NOTFLIPPABLE},
  };
  for (const Row& row : rows) EXPECT_EQ(row.run(), row.expected) << row.call;
  EXPECT_EQ(clipper, nullptr);
  EXPECT_EQ(palette, nullptr);
}

TEST_F(DocumentedResults, EnumSurfacesCanBeCreatedHandsOverANewSurface) {
  DDSURFACEDESC2 d = Desc();
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  d.dwWidth = 24;
  d.dwHeight = 8;
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  std::vector<DWORD> widths;
  const auto keep = [](LPDIRECTDRAWSURFACE7 surface, LPDDSURFACEDESC2 desc, LPVOID context) -> HRESULT {
    static_cast<std::vector<DWORD>*>(context)->push_back(desc->dwWidth);
    surface->Release();
    return DDENUMRET_OK;
  };
  const DWORD flags = DDENUMSURFACES_CANBECREATED | DDENUMSURFACES_MATCH;
  ASSERT_EQ(dd_->EnumSurfaces(flags, &d, &widths, keep), DD_OK);
  EXPECT_EQ(widths, std::vector<DWORD>{24});
  d.ddsCaps.dwCaps2 = DDSCAPS2_CUBEMAP;  // cannot be made: nothing is listed
  ASSERT_EQ(dd_->EnumSurfaces(flags, &d, &widths, keep), DD_OK);
  EXPECT_EQ(widths.size(), 1u);
  EXPECT_EQ(dd_->EnumSurfaces(flags | DDENUMSURFACES_ALL, &d, &widths, keep), DDERR_INVALIDPARAMS);
}

TEST_F(DocumentedResults, WithoutABackEndObjectsAreInvalidAndOnlyThePrimaryIsListed) {
  const std::vector<Row> rows = {
      {"WaitForVerticalBlank", [&] { return dd_->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr); },
       DDERR_INVALIDOBJECT},
      {"GetScanLine", [&] { DWORD line; return dd_->GetScanLine(&line); }, DDERR_INVALIDOBJECT},
      {"GetVerticalBlankStatus", [&] { BOOL in; return dd_->GetVerticalBlankStatus(&in); }, DDERR_INVALIDOBJECT},
  };
  platform::Install(nullptr);
  for (const Row& row : rows) EXPECT_EQ(row.run(), row.expected) << row.call;
  int listed = 0;
  const auto count = [](GUID* guid, LPSTR, LPSTR, LPVOID context) -> BOOL {
    *static_cast<int*>(context) += guid ? 100 : 1;
    return TRUE;
  };
  EXPECT_EQ(DirectDrawEnumerateA(count, &listed), DD_OK);
  EXPECT_EQ(listed, 1);
  platform::Install(&backend_);
}

}  // namespace
}  // namespace ddraw_test
