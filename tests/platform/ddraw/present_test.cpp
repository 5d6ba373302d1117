// What reaches the screen: windowed blits at the window's place, full-screen
// flips, 8-bit palettes, lost and restored surfaces, and vertical blank.
#include "platform/gdi/surface_dc.h"
#include "tests/platform/ddraw/ddraw_test_support.h"

namespace ddraw_test {
namespace {

constexpr DWORD kExclusive = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_ALLOWMODEX;

class Presentation : public DDrawTest {
 public:
  // A full-screen object in MODE with a one-back-buffer flip chain.
  void MakeFullScreen(DWORD width, DWORD height, DWORD bits) {
    window_ = platform::windows::Create(RECT{0, 0, 640, 480});
    dd_ = MakeDDraw(window_);
    ASSERT_EQ(dd_->SetCooperativeLevel(window_, kExclusive), DD_OK);
    ASSERT_EQ(dd_->SetDisplayMode(width, height, bits, 0, 0), DD_OK);
    DDSURFACEDESC2 d = Desc();
    d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    d.dwBackBufferCount = 1;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    ASSERT_EQ(dd_->CreateSurface(&d, &front_, nullptr), DD_OK);
    DDSCAPS2 want{DDSCAPS_BACKBUFFER, 0, 0, {0}};
    ASSERT_EQ(front_->GetAttachedSurface(&want, &back_), DD_OK);
  }

  void TearDown() override {
    if (back_) back_->Release();
    if (front_) front_->Release();
    if (dd_) {
      EXPECT_EQ(dd_->Release(), 0u);
    }
    if (window_) platform::windows::Destroy(window_);
    DDrawTest::TearDown();
  }

  HWND window_ = nullptr;
  IDirectDraw7* dd_ = nullptr;
  IDirectDrawSurface7* front_ = nullptr;
  IDirectDrawSurface7* back_ = nullptr;
};

TEST_F(Presentation, AWindowedBlitShowsTheClientAreaAtTheWindowsPlace) {
  window_ = platform::windows::Create(RECT{100, 50, 164, 98});  // 64 x 48 client
  dd_ = MakeDDraw(window_);
  front_ = MakePrimary(dd_);
  back_ = MakeSurface(dd_, 64, 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) SetPixel(back_, x, y, static_cast<std::uint32_t>(0x010000 * x + 0x000100 * y + 7));
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd_->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(clipper->SetHWnd(0, window_), DD_OK);
  ASSERT_EQ(front_->SetClipper(clipper), DD_OK);

  RECT client{100, 50, 164, 98};
  const auto before = backend_.FramesPresented();
  ASSERT_EQ(front_->Blt(&client, back_, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  ASSERT_EQ(backend_.FramesPresented(), before + 1);
  const auto& frame = backend_.LastFrame();
  ASSERT_EQ(frame.width, 64u);
  ASSERT_EQ(frame.height, 48u);
  for (std::uint32_t y = 0; y < 48; ++y)
    for (std::uint32_t x = 0; x < 64; ++x) ASSERT_EQ(frame.At(x, y), 0x010000 * x + 0x000100 * y + 7);
  EXPECT_EQ(Pixel(front_, 100, 50), 7u) << "the desktop's memory holds the window's picture";

  // The clipper keeps a larger blit inside the window; what lies outside
  // the client area is neither drawn nor shown.
  RECT wide{80, 30, 200, 120};
  ASSERT_EQ(FillRect(front_, &wide, 0x00ABCDEF), DD_OK);
  EXPECT_EQ(Pixel(front_, 99, 50), 0u);
  EXPECT_EQ(Pixel(front_, 164, 97), 0u);
  EXPECT_EQ(Pixel(front_, 163, 97), 0x00ABCDEFu);
  ASSERT_EQ(front_->SetClipper(nullptr), DD_OK);
  const auto shown = backend_.FramesPresented();
  RECT elsewhere{300, 300, 310, 310};
  ASSERT_EQ(FillRect(front_, &elsewhere, 0x00FFFFFF), DD_OK);
  EXPECT_EQ(backend_.FramesPresented(), shown) << "nothing changed under the window";

  // The window moved: the next blit follows it.
  platform::windows::SetClientOnScreen(window_, RECT{10, 20, 74, 68});
  ASSERT_EQ(front_->SetClipper(clipper), DD_OK);
  RECT moved{10, 20, 74, 68};
  ASSERT_EQ(front_->Blt(&moved, back_, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(backend_.LastFrame().At(63, 47), 0x010000u * 63 + 0x000100u * 47 + 7);
  EXPECT_EQ(Pixel(front_, 10, 20), 7u);
  clipper->Release();
}

TEST_F(Presentation, AWindowLargerThanTheFrameShowsItStretched) {
  window_ = platform::windows::Create(RECT{0, 0, 128, 96});
  dd_ = MakeDDraw(window_);
  front_ = MakePrimary(dd_);
  back_ = MakeSurface(dd_, 64, 48);
  SetPixel(back_, 63, 47, 0x00FF00FF);
  RECT client{0, 0, 128, 96};
  ASSERT_EQ(front_->Blt(&client, back_, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  const auto& frame = backend_.LastFrame();
  ASSERT_EQ(frame.width, 128u);
  EXPECT_EQ(frame.At(126, 94), 0x00FF00FFu);
  EXPECT_EQ(frame.At(127, 95), 0x00FF00FFu);
  EXPECT_EQ(frame.At(125, 95), 0u);
}

TEST_F(Presentation, FlipSwapsTheChainsMemoryAndShowsTheNewFront) {
  MakeFullScreen(320, 240, 32);
  ASSERT_EQ(FillRect(back_, nullptr, 0x00FF0000), DD_OK);
  const auto before = backend_.FramesPresented();
  ASSERT_EQ(front_->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(backend_.FramesPresented(), before + 1);
  EXPECT_EQ(backend_.LastFrame().width, 320u);
  EXPECT_EQ(backend_.LastFrame().At(319, 239), 0x00FF0000u);
  EXPECT_EQ(Pixel(front_, 5, 5), 0x00FF0000u);
  EXPECT_EQ(Pixel(back_, 5, 5), 0u) << "the old front became the back buffer";

  ASSERT_EQ(FillRect(back_, nullptr, 0x0000FF00), DD_OK);
  ASSERT_EQ(front_->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(backend_.LastFrame().At(0, 0), 0x0000FF00u);

  // Drawing on the front shows at once. The front now holds the memory the
  // chain started with (green, blue corner); after one more flip
  // FlipToGDISurface brings that memory back to the front.
  RECT corner{0, 0, 1, 1};
  ASSERT_EQ(FillRect(front_, &corner, 0x000000FF), DD_OK);
  EXPECT_EQ(backend_.LastFrame().At(0, 0), 0x000000FFu);
  ASSERT_EQ(front_->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(backend_.LastFrame().At(5, 5), 0x00FF0000u);
  ASSERT_EQ(dd_->FlipToGDISurface(), DD_OK);
  EXPECT_EQ(backend_.LastFrame().At(5, 5), 0x0000FF00u);
  EXPECT_EQ(backend_.LastFrame().At(0, 0), 0x000000FFu);
  EXPECT_EQ(Pixel(front_, 0, 0), 0x000000FFu);
  EXPECT_EQ(back_->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
}

TEST_F(Presentation, AnEightBitScreenShowsThroughTheFrontsPalette) {
  MakeFullScreen(320, 240, 8);
  PALETTEENTRY entries[256] = {};
  entries[5] = PALETTEENTRY{1, 2, 3, 0};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(dd_->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
  ASSERT_EQ(front_->SetPalette(palette), DD_OK);
  ASSERT_EQ(back_->SetPalette(palette), DD_OK);
  ASSERT_EQ(FillRect(back_, nullptr, 5), DD_OK);
  ASSERT_EQ(front_->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(backend_.LastFrame().At(10, 10), 0x00010203u);

  // New colours show at once, as a hardware palette would.
  PALETTEENTRY changed{9, 8, 7, 0};
  const auto before = backend_.FramesPresented();
  ASSERT_EQ(palette->SetEntries(0, 5, 1, &changed), DD_OK);
  EXPECT_EQ(backend_.FramesPresented(), before + 1);
  EXPECT_EQ(backend_.LastFrame().At(10, 10), 0x00090807u);
  PALETTEENTRY read{};
  ASSERT_EQ(palette->GetEntries(0, 5, 1, &read), DD_OK);
  EXPECT_EQ(read.peRed, 9);
  EXPECT_EQ(palette->SetEntries(0, 250, 7, entries), DDERR_INVALIDPARAMS);
  palette->Release();
}

TEST_F(Presentation, AnEightBitDesktopShowsThroughTheSystemPaletteThePrimarySets) {
  backend_.SetDesktopMode(platform::DisplayMode{640, 480, 8, 60});
  platform::Install(&backend_);
  window_ = platform::windows::Create(RECT{0, 0, 32, 32});
  dd_ = MakeDDraw(window_);
  front_ = MakePrimary(dd_);
  const PALETTEENTRY staticColour = platform::gdi::SystemPaletteEntries()[3];
  PALETTEENTRY entries[256] = {};
  for (int i = 0; i < 256; ++i) entries[i] = PALETTEENTRY{static_cast<BYTE>(i), 50, 60, PC_NOCOLLAPSE};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(dd_->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
  ASSERT_EQ(front_->SetPalette(palette), DD_OK);
  EXPECT_EQ(platform::gdi::SystemPaletteEntries()[100].peRed, 100);
  EXPECT_EQ(platform::gdi::SystemPaletteEntries()[3].peRed, staticColour.peRed) << "static colours stay";

  RECT left{0, 0, 16, 32};
  ASSERT_EQ(FillRect(front_, &left, 100), DD_OK);
  const auto& frame = backend_.LastFrame();
  EXPECT_EQ(frame.At(0, 0), 0x0064323Cu);
  const PALETTEENTRY& zero = platform::gdi::SystemPaletteEntries()[0];
  EXPECT_EQ(frame.At(31, 0), (static_cast<std::uint32_t>(zero.peRed) << 16) |
                                 (static_cast<std::uint32_t>(zero.peGreen) << 8) | zero.peBlue);
  palette->Release();
}

using Losses = Presentation;

TEST_F(Losses, AFocusLossInFullScreenLosesVideoMemoryUntilRestored) {
  MakeFullScreen(320, 240, 32);
  IDirectDrawSurface7* video = MakeSurface(dd_, 16, 16, nullptr, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY);
  IDirectDrawSurface7* system = MakeSurface(dd_, 16, 16, nullptr, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY);
  ASSERT_EQ(FillRect(video, nullptr, 0x00112233), DD_OK);
  ASSERT_EQ(FillRect(system, nullptr, 0x00445566), DD_OK);

  platform::SetAppActive(false);
  EXPECT_EQ(front_->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(back_->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(video->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(system->IsLost(), DD_OK);
  EXPECT_EQ(back_->BltFast(0, 0, video, nullptr, 0), DDERR_SURFACELOST);
  EXPECT_EQ(back_->BltFast(0, 0, system, nullptr, 0), DDERR_SURFACELOST);
  EXPECT_EQ(system->BltFast(0, 0, video, nullptr, 0), DDERR_SURFACELOST);
  EXPECT_EQ(FillRect(back_, nullptr, 0), DDERR_SURFACELOST);
  EXPECT_EQ(front_->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
  DDSURFACEDESC2 d = Desc();
  EXPECT_EQ(video->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(dd_->TestCooperativeLevel(), DDERR_NOEXCLUSIVEMODE);
  EXPECT_EQ(front_->Restore(), DDERR_WRONGMODE);
  EXPECT_EQ(video->Restore(), DDERR_WRONGMODE);

  platform::SetAppActive(true);
  EXPECT_EQ(video->IsLost(), DDERR_SURFACELOST) << "a loss lasts until Restore";
  ASSERT_EQ(front_->Restore(), DD_OK);
  EXPECT_EQ(back_->IsLost(), DD_OK) << "restoring the front restores its chain";
  ASSERT_EQ(video->Restore(), DD_OK);
  EXPECT_EQ(video->Restore(), DD_OK);
  EXPECT_NE(Pixel(video, 0, 0), 0x00112233u);
  EXPECT_EQ(Pixel(video, 0, 0), 0xEFBEADDEu) << "restored memory holds the garbage pattern";
  EXPECT_EQ(Pixel(system, 0, 0), 0x00445566u);
  EXPECT_EQ(back_->BltFast(0, 0, video, nullptr, 0), DD_OK);
  EXPECT_EQ(front_->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(dd_->TestCooperativeLevel(), DD_OK);
  video->Release();
  system->Release();
}

TEST_F(Losses, WindowedProgramsKeepTheirSurfacesButNotThoseOfAnotherMode) {
  window_ = platform::windows::Create(RECT{0, 0, 64, 64});
  dd_ = MakeDDraw(window_);
  front_ = MakePrimary(dd_);
  back_ = MakeSurface(dd_, 16, 16, nullptr, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY);
  platform::SetAppActive(false);
  EXPECT_EQ(front_->IsLost(), DD_OK);
  EXPECT_EQ(back_->IsLost(), DD_OK);
  platform::SetAppActive(true);

  // Another program switches the screen and shows its own primary there:
  // the desktop's memory is remade for the new mode, and the old primary,
  // made on memory that no longer exists, is gone for good.
  IDirectDraw7* other = MakeDDraw(window_);
  ASSERT_EQ(other->SetCooperativeLevel(window_, kExclusive), DD_OK);
  ASSERT_EQ(other->SetDisplayMode(320, 240, 16, 0, 0), DD_OK);
  EXPECT_EQ(front_->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(front_->Restore(), DDERR_WRONGMODE);
  EXPECT_EQ(back_->IsLost(), DD_OK);
  IDirectDrawSurface7* screen = MakePrimary(other);
  DDSURFACEDESC2 d = Desc();
  ASSERT_EQ(screen->GetSurfaceDesc(&d), DD_OK);
  EXPECT_EQ(d.dwWidth, 320u);
  EXPECT_EQ(d.ddpfPixelFormat.dwRGBBitCount, 16u);
  screen->Release();
  EXPECT_EQ(other->Release(), 0u);
  EXPECT_EQ(front_->Restore(), DDERR_WRONGMODE);
  EXPECT_EQ(dd_->TestCooperativeLevel(), DDERR_WRONGMODE);
}

TEST_F(Losses, APrimaryComesBackWhenItsModeReturnsBeforeTheDesktopWasRemade) {
  window_ = platform::windows::Create(RECT{0, 0, 64, 64});
  dd_ = MakeDDraw(window_);
  front_ = MakePrimary(dd_);
  ASSERT_EQ(FillRect(front_, nullptr, 0x00010101), DD_OK);
  IDirectDraw7* other = MakeDDraw(window_);
  ASSERT_EQ(other->SetCooperativeLevel(window_, kExclusive), DD_OK);
  ASSERT_EQ(other->SetDisplayMode(320, 240, 16, 0, 0), DD_OK);
  EXPECT_EQ(front_->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(FillRect(front_, nullptr, 0), DDERR_SURFACELOST);
  EXPECT_EQ(other->Release(), 0u);
  ASSERT_EQ(front_->Restore(), DD_OK);
  EXPECT_EQ(front_->IsLost(), DD_OK);
  EXPECT_EQ(FillRect(front_, nullptr, 0), DD_OK);
}

using VerticalBlank = DDrawTest;

TEST_F(VerticalBlank, WaitingEndsAtTheNextBlankAndNeverTakesLongerThanAFrame) {
  backend_.SetRefreshRate(60);
  IDirectDraw7* dd = MakeDDraw();
  const std::uint64_t period = 16667;  // 1/60 s, rounded up
  for (std::uint64_t start : {0ull, 1ull, 1000ull, 16666ull, 16667ull, 50000ull, 99999ull}) {
    backend_.AdvanceClock(start - std::min(start, backend_.NowMicroseconds()));
    const std::uint64_t before = backend_.NowMicroseconds();
    ASSERT_EQ(dd->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
    const std::uint64_t after = backend_.NowMicroseconds();
    EXPECT_GT(after, before);
    EXPECT_LE(after - before, period);
    const std::uint64_t k = after * 60 / 1000000;
    EXPECT_EQ(after, (k * 1000000 + 59) / 60) << "lands on the start of blank " << k;
    BOOL inBlank = FALSE;
    ASSERT_EQ(dd->GetVerticalBlankStatus(&inBlank), DD_OK);
    EXPECT_TRUE(inBlank);
    DWORD line = 0;
    EXPECT_EQ(dd->GetScanLine(&line), DDERR_VERTICALBLANKINPROGRESS);
  }
  ASSERT_EQ(dd->WaitForVerticalBlank(DDWAITVB_BLOCKEND, nullptr), DD_OK);
  BOOL inBlank = TRUE;
  ASSERT_EQ(dd->GetVerticalBlankStatus(&inBlank), DD_OK);
  EXPECT_FALSE(inBlank);
  DWORD line = 99;
  ASSERT_EQ(dd->GetScanLine(&line), DD_OK);
  EXPECT_EQ(line, 0u);
  EXPECT_EQ(dd->WaitForVerticalBlank(DDWAITVB_BLOCKBEGINEVENT, nullptr), DDERR_UNSUPPORTED);
  DWORD hz = 0;
  ASSERT_EQ(dd->GetMonitorFrequency(&hz), DD_OK);
  EXPECT_EQ(hz, 60u);
  EXPECT_EQ(dd->Release(), 0u);
}

}  // namespace
}  // namespace ddraw_test
