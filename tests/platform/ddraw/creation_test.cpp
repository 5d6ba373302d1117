// Drivers, DirectDraw objects, cooperative levels, display modes,
// capabilities and the making of surfaces.
#include <string>
#include <vector>

#include "tests/platform/ddraw/ddraw_test_support.h"

namespace ddraw_test {
namespace {

constexpr GUID kCardGuid = {0x12345678, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};

struct Seen {
  std::vector<std::string> names;
  std::vector<bool> hasGuid;
  int stopAfter = 100;
};

BOOL WINAPI RecordDriver(GUID* guid, LPSTR description, LPSTR name, LPVOID context) {
  auto* seen = static_cast<Seen*>(context);
  seen->names.push_back(std::string(description) + " (" + name + ")");
  seen->hasGuid.push_back(guid != nullptr);
  return static_cast<int>(seen->names.size()) < seen->stopAfter;
}

using DriversAndObjects = DDrawTest;

TEST_F(DriversAndObjects, EnumerationListsThePrimaryDriverThenTheBackEndsAndStopsWhenAsked) {
  backend_.AddDriver(platform::DriverInfo{kCardGuid, "3D Card", "card3d", true});
  Seen seen;
  ASSERT_EQ(DirectDrawEnumerateA(RecordDriver, &seen), DD_OK);
  ASSERT_EQ(seen.names, (std::vector<std::string>{"Primary Display Driver (display)", "3D Card (card3d)"}));
  EXPECT_EQ(seen.hasGuid, (std::vector<bool>{false, true}));

  Seen first;
  first.stopAfter = 1;
  ASSERT_EQ(DirectDrawEnumerateA(RecordDriver, &first), DD_OK);
  EXPECT_EQ(first.names.size(), 1u);
  EXPECT_EQ(DirectDrawEnumerateA(nullptr, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DriversAndObjects, CreateExPicksTheDriverByGuidAndRefusesWhatItCannotMake) {
  backend_.AddDriver(platform::DriverInfo{kCardGuid, "3D Card", "card3d", true});
  IDirectDraw7* dd = reinterpret_cast<IDirectDraw7*>(0x1);
  GUID unknown = kCardGuid;
  unknown.Data1 = 99;
  EXPECT_EQ(DirectDrawCreateEx(&unknown, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr),
            DDERR_INVALIDDIRECTDRAWGUID);
  EXPECT_EQ(dd, nullptr);
  EXPECT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDrawSurface7, nullptr),
            DDERR_INVALIDPARAMS);
  IUnknown* outer = reinterpret_cast<IUnknown*>(0x10);
  EXPECT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, outer),
            DDERR_INVALIDPARAMS);

  // The card reports 3D; the primary driver does not, until the back end says so.
  GUID card = kCardGuid;
  ASSERT_EQ(DirectDrawCreateEx(&card, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
  DDCAPS caps{};
  caps.dwSize = sizeof(caps);
  ASSERT_EQ(dd->GetCaps(&caps, nullptr), DD_OK);
  EXPECT_TRUE(caps.dwCaps & DDCAPS_3D);
  EXPECT_TRUE(caps.ddsCaps.dwCaps & DDSCAPS_3DDEVICE);
  DDDEVICEIDENTIFIER2 id{};
  ASSERT_EQ(dd->GetDeviceIdentifier(&id, 0), DD_OK);
  EXPECT_STREQ(id.szDriver, "card3d");
  EXPECT_EQ(dd->Release(), 0u);

  dd = MakeDDraw();
  ASSERT_EQ(dd->GetCaps(&caps, nullptr), DD_OK);
  EXPECT_FALSE(caps.dwCaps & DDCAPS_3D);
  EXPECT_FALSE(caps.ddsCaps.dwCaps & DDSCAPS_3DDEVICE);
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(DriversAndObjects, CapsHaveTheirDocumentedSizeAndReportBlitsAndVideoMemory) {
  static_assert(sizeof(DDCAPS) == 380);
  backend_.SetVideoMemoryBytes(1 << 20);
  backend_.SetPrimaryHas3D(true);
  IDirectDraw7* dd = MakeDDraw();
  DDCAPS driver{}, hel{};
  driver.dwSize = hel.dwSize = sizeof(DDCAPS);
  ASSERT_EQ(dd->GetCaps(&driver, &hel), DD_OK);
  EXPECT_EQ(driver.dwSize, 380u);
  EXPECT_TRUE(driver.dwCaps & DDCAPS_3D);
  EXPECT_FALSE(hel.dwCaps & DDCAPS_3D);
  for (DWORD need : {DDCAPS_BLT, DDCAPS_BLTCOLORFILL, DDCAPS_BLTSTRETCH, DDCAPS_COLORKEY, DDCAPS_CANCLIP})
    EXPECT_TRUE(driver.dwCaps & need) << std::hex << need;
  EXPECT_TRUE(driver.dwCKeyCaps & DDCKEYCAPS_SRCBLT);
  EXPECT_TRUE(driver.dwAlphaBltConstBitDepths & DDBD_8);
  EXPECT_EQ(driver.dwVidMemTotal, 1u << 20);
  EXPECT_EQ(driver.dwVidMemFree, 1u << 20);

  IDirectDrawSurface7* s = MakeSurface(dd, 100, 10, nullptr, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY);
  ASSERT_EQ(dd->GetCaps(&driver, nullptr), DD_OK);
  EXPECT_EQ(driver.dwVidMemFree, (1u << 20) - 4000u);
  DDSCAPS2 video{DDSCAPS_VIDEOMEMORY, 0, 0, {0}};
  DWORD total = 0, free = 0;
  ASSERT_EQ(dd->GetAvailableVidMem(&video, &total, &free), DD_OK);
  EXPECT_EQ(total, 1u << 20);
  EXPECT_EQ(free, (1u << 20) - 4000u);
  s->Release();

  DDCAPS wrong{};
  wrong.dwSize = 100;
  EXPECT_EQ(dd->GetCaps(&wrong, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(dd->GetCaps(nullptr, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(dd->Release(), 0u);
}

using CooperativeLevels = DDrawTest;

TEST_F(CooperativeLevels, OnlyOneExclusiveOwnerAndReleasingItGivesUpTheScreen) {
  HWND window = platform::windows::Create(RECT{0, 0, 640, 480});
  IDirectDraw7* first = nullptr;
  IDirectDraw7* second = nullptr;
  ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&first), IID_IDirectDraw7, nullptr), DD_OK);
  ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&second), IID_IDirectDraw7, nullptr), DD_OK);
  const DWORD exclusive = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_ALLOWMODEX;
  EXPECT_EQ(exclusive, 0x53u);

  EXPECT_EQ(first->SetCooperativeLevel(window, DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
  EXPECT_EQ(first->SetCooperativeLevel(nullptr, exclusive), DDERR_INVALIDPARAMS);
  EXPECT_EQ(first->SetCooperativeLevel(window, DDSCL_NORMAL | DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
            DDERR_INVALIDPARAMS);
  ASSERT_EQ(first->SetCooperativeLevel(window, exclusive), DD_OK);
  EXPECT_EQ(second->SetCooperativeLevel(window, exclusive), DDERR_EXCLUSIVEMODEALREADYSET);
  EXPECT_EQ(second->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
  EXPECT_EQ(second->TestCooperativeLevel(), DDERR_EXCLUSIVEMODEALREADYSET);

  ASSERT_EQ(first->SetDisplayMode(320, 240, 8, 0, 0), DD_OK);
  EXPECT_EQ(platform::CurrentDisplayMode().width, 320u);
  EXPECT_TRUE(backend_.FullScreen());
  EXPECT_EQ(first->Release(), 0u);
  // The owner's end restored the desktop and let the other object in.
  EXPECT_EQ(platform::CurrentDisplayMode().width, 640u);
  EXPECT_FALSE(platform::DisplayModeChanged());
  EXPECT_EQ(second->SetCooperativeLevel(window, exclusive), DD_OK);
  EXPECT_EQ(second->TestCooperativeLevel(), DD_OK);
  EXPECT_EQ(second->Release(), 0u);
  platform::windows::Destroy(window);
}

TEST_F(CooperativeLevels, ReturningToNormalModeRestoresTheDesktopMode) {
  HWND window = platform::windows::Create(RECT{0, 0, 640, 480});
  IDirectDraw7* dd = MakeDDraw(window);
  ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
  ASSERT_EQ(dd->SetDisplayMode(800, 600, 16, 60, 0), DD_OK);
  EXPECT_EQ(platform::CurrentDisplayMode().bitsPerPixel, 16u);
  ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
  EXPECT_EQ(platform::CurrentDisplayMode().bitsPerPixel, 32u);
  EXPECT_EQ(dd->SetDisplayMode(800, 600, 16, 60, 0), DDERR_NOEXCLUSIVEMODE);
  EXPECT_EQ(dd->Release(), 0u);
  platform::windows::Destroy(window);
}

using DisplayModes = DDrawTest;

HRESULT WINAPI CollectMode(LPDDSURFACEDESC2 desc, LPVOID context) {
  auto* modes = static_cast<std::vector<platform::DisplayMode>*>(context);
  EXPECT_EQ(desc->dwSize, sizeof(DDSURFACEDESC2));
  EXPECT_GE(static_cast<DWORD>(desc->lPitch), desc->dwWidth * desc->ddpfPixelFormat.dwRGBBitCount / 8);
  modes->push_back(platform::DisplayMode{desc->dwWidth, desc->dwHeight, desc->ddpfPixelFormat.dwRGBBitCount,
                                         desc->dwRefreshRate});
  return modes->size() < 3 ? DDENUMRET_OK : DDENUMRET_CANCEL;
}

TEST_F(DisplayModes, EnumerationFollowsTheBackEndInOrderUntilCancelled) {
  backend_.SetDisplayModes({{640, 480, 8, 60}, {640, 480, 16, 75}, {1024, 768, 32, 60}, {320, 200, 8, 70}});
  IDirectDraw7* dd = MakeDDraw();
  DDSURFACEDESC2 sizeOnly = Desc();
  std::vector<platform::DisplayMode> modes;
  ASSERT_EQ(dd->EnumDisplayModes(0, &sizeOnly, &modes, CollectMode), DD_OK);
  ASSERT_EQ(modes.size(), 3u);  // the callback cancelled after three
  EXPECT_EQ(modes[1].bitsPerPixel, 16u);
  EXPECT_EQ(modes[1].refreshRate, 75u);
  EXPECT_EQ(modes[2].width, 1024u);

  DDSURFACEDESC2 only8 = Desc();
  only8.dwFlags = DDSD_PIXELFORMAT;
  only8.ddpfPixelFormat.dwRGBBitCount = 8;
  modes.clear();
  ASSERT_EQ(dd->EnumDisplayModes(0, &only8, &modes, CollectMode), DD_OK);
  ASSERT_EQ(modes.size(), 2u);
  EXPECT_EQ(modes[1].height, 200u);
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(DisplayModes, SetDisplayModeNeedsExclusiveModeAndAListedMode) {
  HWND window = platform::windows::Create(RECT{0, 0, 640, 480});
  IDirectDraw7* dd = MakeDDraw(window);
  EXPECT_EQ(dd->SetDisplayMode(640, 480, 8, 0, 0), DDERR_NOEXCLUSIVEMODE);
  ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
  EXPECT_EQ(dd->SetDisplayMode(641, 480, 8, 0, 0), DDERR_INVALIDMODE);
  EXPECT_EQ(dd->SetDisplayMode(640, 480, 8, 85, 0), DDERR_INVALIDMODE);
  ASSERT_EQ(dd->SetDisplayMode(640, 480, 8, 0, 0), DD_OK);
  EXPECT_EQ(backend_.ShownMode().bitsPerPixel, 8u);
  DDSURFACEDESC2 mode = Desc();
  ASSERT_EQ(dd->GetDisplayMode(&mode), DD_OK);
  EXPECT_EQ(mode.dwWidth, 640u);
  EXPECT_EQ(mode.ddpfPixelFormat.dwFlags & DDPF_PALETTEINDEXED8, DDPF_PALETTEINDEXED8);
  ASSERT_EQ(dd->RestoreDisplayMode(), DD_OK);
  EXPECT_EQ(platform::CurrentDisplayMode().bitsPerPixel, 32u);
  EXPECT_EQ(dd->Release(), 0u);
  platform::windows::Destroy(window);
}

using SurfaceCreation = DDrawTest;

TEST_F(SurfaceCreation, InvalidDescriptionsAreRefused) {
  IDirectDraw7* bare = nullptr;
  ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&bare), IID_IDirectDraw7, nullptr), DD_OK);
  DDSURFACEDESC2 d = Desc();
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  d.dwWidth = d.dwHeight = 8;
  d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  IDirectDrawSurface7* s = reinterpret_cast<IDirectDrawSurface7*>(0x1);
  EXPECT_EQ(bare->CreateSurface(&d, &s, nullptr), DDERR_NOCOOPERATIVELEVELSET);
  EXPECT_EQ(s, nullptr);
  EXPECT_EQ(bare->Release(), 0u);

  IDirectDraw7* dd = MakeDDraw();
  DDSURFACEDESC2 bad = d;
  bad.dwSize = 124;  // the 32-bit size: this platform's structure is bigger
  EXPECT_EQ(dd->CreateSurface(&bad, &s, nullptr), DDERR_INVALIDPARAMS);
  bad = d;
  bad.dwWidth = 0;
  EXPECT_EQ(dd->CreateSurface(&bad, &s, nullptr), DDERR_INVALIDPARAMS);
  bad = d;
  bad.dwFlags &= ~DDSD_HEIGHT;
  EXPECT_EQ(dd->CreateSurface(&bad, &s, nullptr), DDERR_INVALIDPARAMS);
  bad = d;
  bad.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY;
  EXPECT_EQ(dd->CreateSurface(&bad, &s, nullptr), DDERR_INVALIDCAPS);
  bad = d;
  bad.dwFlags |= DDSD_PIXELFORMAT;
  bad.ddpfPixelFormat = RgbFormat(16, 0xF800, 0x0FE0, 0x001F);  // overlapping masks
  EXPECT_EQ(dd->CreateSurface(&bad, &s, nullptr), DDERR_INVALIDPIXELFORMAT);
  bad = d;
  bad.dwWidth = 20000;
  EXPECT_EQ(dd->CreateSurface(&bad, &s, nullptr), DDERR_OUTOFMEMORY);
  EXPECT_EQ(dd->CreateSurface(&d, &s, reinterpret_cast<IUnknown*>(0x10)), DDERR_INVALIDPARAMS);
  EXPECT_EQ(s, nullptr);
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(SurfaceCreation, EveryFormatGetsAPitchThatIsAMultipleOfFourAndHoldsTheRow) {
  IDirectDraw7* dd = MakeDDraw();
  const DDPIXELFORMAT formats[] = {Indexed8(), Rgb565(), Rgb555(), Rgb888(), Xrgb8888(), Argb8888()};
  for (const DDPIXELFORMAT& format : formats) {
    for (DWORD width : {1u, 3u, 5u, 7u, 640u}) {
      IDirectDrawSurface7* s = MakeSurface(dd, width, 3, &format);
      ASSERT_NE(s, nullptr);
      DDSURFACEDESC2 d = Desc();
      ASSERT_EQ(s->GetSurfaceDesc(&d), DD_OK);
      const DWORD bytes = format.dwRGBBitCount / 8;
      EXPECT_EQ(d.lPitch % 4, 0) << format.dwRGBBitCount << " bits, width " << width;
      EXPECT_GE(static_cast<DWORD>(d.lPitch), width * bytes);
      EXPECT_EQ(d.dwWidth, width);
      EXPECT_EQ(d.ddpfPixelFormat.dwRGBBitCount, format.dwRGBBitCount);
      EXPECT_EQ(d.ddpfPixelFormat.dwRBitMask, format.dwRBitMask);
      EXPECT_EQ(d.ddpfPixelFormat.dwRGBAlphaBitMask, format.dwRGBAlphaBitMask);
      EXPECT_EQ(Pixel(s, static_cast<int>(width) - 1, 2), 0u) << "new surfaces start cleared";
      s->Release();
    }
  }
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(SurfaceCreation, WithoutAFormatSurfacesTakeTheDisplaysIncludingFiveSixFive) {
  backend_.SetDesktopMode(platform::DisplayMode{800, 600, 16, 60});
  platform::Install(&backend_);
  IDirectDraw7* dd = MakeDDraw();
  IDirectDrawSurface7* s = MakeSurface(dd, 4, 4);
  DDPIXELFORMAT f{};
  f.dwSize = sizeof(f);
  ASSERT_EQ(s->GetPixelFormat(&f), DD_OK);
  EXPECT_EQ(f.dwRGBBitCount, 16u);
  EXPECT_EQ(f.dwRBitMask, 0xF800u);
  EXPECT_EQ(f.dwGBitMask, 0x07E0u);
  IDirectDrawSurface7* primary = MakePrimary(dd);
  DDSURFACEDESC2 d = Desc();
  ASSERT_EQ(primary->GetSurfaceDesc(&d), DD_OK);
  EXPECT_EQ(d.dwWidth, 800u);
  EXPECT_EQ(d.dwHeight, 600u);
  EXPECT_TRUE(d.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE);
  IDirectDrawSurface7* another = nullptr;
  DDSURFACEDESC2 p = Desc();
  p.dwFlags = DDSD_CAPS;
  p.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  EXPECT_EQ(dd->CreateSurface(&p, &another, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
  primary->Release();
  s->Release();
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(SurfaceCreation, VideoMemoryIsABudgetThatRunsOutAndComesBack) {
  // Room for exactly two 64 x 64 surfaces of 32 bits.
  backend_.SetVideoMemoryBytes(2 * 64 * 64 * 4);
  IDirectDraw7* dd = MakeDDraw();
  const DWORD video = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
  IDirectDrawSurface7* a = MakeSurface(dd, 64, 64, nullptr, video);
  IDirectDrawSurface7* b = MakeSurface(dd, 64, 64, nullptr, video);
  DDSURFACEDESC2 d = Desc();
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  d.dwWidth = d.dwHeight = 64;
  d.ddsCaps.dwCaps = video;
  IDirectDrawSurface7* c = reinterpret_cast<IDirectDrawSurface7*>(0x1);
  EXPECT_EQ(dd->CreateSurface(&d, &c, nullptr), DDERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(c, nullptr);

  // Asking for neither memory falls back to system memory, and says so.
  IDirectDrawSurface7* anywhere = MakeSurface(dd, 64, 64, nullptr, DDSCAPS_OFFSCREENPLAIN);
  DDSCAPS2 caps{};
  ASSERT_EQ(anywhere->GetCaps(&caps), DD_OK);
  EXPECT_TRUE(caps.dwCaps & DDSCAPS_SYSTEMMEMORY);
  EXPECT_FALSE(caps.dwCaps & DDSCAPS_VIDEOMEMORY);
  anywhere->Release();

  EXPECT_EQ(a->Release(), 0u);
  ASSERT_EQ(dd->CreateSurface(&d, &c, nullptr), DD_OK);
  anywhere = MakeSurface(dd, 8, 8, nullptr, DDSCAPS_OFFSCREENPLAIN);
  ASSERT_EQ(anywhere->GetCaps(&caps), DD_OK);
  EXPECT_TRUE(caps.dwCaps & DDSCAPS_SYSTEMMEMORY) << "the budget is full again";
  anywhere->Release();
  EXPECT_EQ(b->Release(), 0u);
  anywhere = MakeSurface(dd, 8, 8, nullptr, DDSCAPS_OFFSCREENPLAIN);
  ASSERT_EQ(anywhere->GetCaps(&caps), DD_OK);
  EXPECT_TRUE(caps.dwCaps & DDSCAPS_VIDEOMEMORY);
  EXPECT_TRUE(caps.dwCaps & DDSCAPS_LOCALVIDMEM);
  anywhere->Release();
  c->Release();
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(SurfaceCreation, AFlipChainNeedsExclusiveModeAndAComplexDescription) {
  HWND window = platform::windows::Create(RECT{0, 0, 640, 480});
  IDirectDraw7* dd = MakeDDraw(window);
  DDSURFACEDESC2 d = Desc();
  d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  d.dwBackBufferCount = 1;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  IDirectDrawSurface7* front = nullptr;
  EXPECT_EQ(dd->CreateSurface(&d, &front, nullptr), DDERR_NOEXCLUSIVEMODE);
  ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT), DD_OK);
  ASSERT_EQ(dd->SetDisplayMode(640, 480, 8, 0, 0), DD_OK);
  DDSURFACEDESC2 simple = d;
  simple.ddsCaps.dwCaps &= ~DDSCAPS_COMPLEX;
  EXPECT_EQ(dd->CreateSurface(&simple, &front, nullptr), DDERR_INVALIDCAPS);
  ASSERT_EQ(dd->CreateSurface(&d, &front, nullptr), DD_OK);

  DDSURFACEDESC2 fd = Desc();
  ASSERT_EQ(front->GetSurfaceDesc(&fd), DD_OK);
  EXPECT_EQ(fd.dwBackBufferCount, 1u);
  EXPECT_EQ(fd.dwWidth, 640u);
  EXPECT_EQ(fd.ddpfPixelFormat.dwRGBBitCount, 8u);
  EXPECT_TRUE(fd.ddsCaps.dwCaps & DDSCAPS_FRONTBUFFER);
  DDSCAPS2 want{DDSCAPS_BACKBUFFER, 0, 0, {0}};
  IDirectDrawSurface7* back = nullptr;
  ASSERT_EQ(front->GetAttachedSurface(&want, &back), DD_OK);
  DDSCAPS2 backCaps{};
  ASSERT_EQ(back->GetCaps(&backCaps), DD_OK);
  EXPECT_TRUE(backCaps.dwCaps & DDSCAPS_BACKBUFFER);
  EXPECT_TRUE(backCaps.dwCaps & DDSCAPS_VIDEOMEMORY);
  DDSCAPS2 nothing{DDSCAPS_ZBUFFER, 0, 0, {0}};
  IDirectDrawSurface7* none = reinterpret_cast<IDirectDrawSurface7*>(0x1);
  EXPECT_EQ(front->GetAttachedSurface(&nothing, &none), DDERR_NOTFOUND);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(front->DeleteAttachedSurface(0, back), DDERR_CANNOTDETACHSURFACE);
  EXPECT_EQ(back->Restore(), DDERR_IMPLICITLYCREATED);
  back->Release();
  front->Release();
  EXPECT_EQ(dd->Release(), 0u);
  platform::windows::Destroy(window);
}

}  // namespace
}  // namespace ddraw_test
