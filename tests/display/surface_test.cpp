// Surfaces: creation and placement, pixel formats, ColorMatch, GetPixel,
// and the clipping arithmetic of Draw and DrawFast.
#include "tests/display/display_fixture.h"

#include <memory>

namespace brin::testing {
namespace {

using ::testing::ElementsAre;

DDPIXELFORMAT PixelFormatOf(DWORD bits, DWORD r, DWORD g, DWORD b, DWORD a) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof f;
  f.dwFlags = bits == 8 ? DDPF_PALETTEINDEXED8 | DDPF_RGB : DDPF_RGB | (a ? DDPF_ALPHAPIXELS : 0);
  f.dwRGBBitCount = bits;
  f.dwRBitMask = r;
  f.dwGBitMask = g;
  f.dwBBitMask = b;
  f.dwRGBAlphaBitMask = a;
  return f;
}

struct FormatCase {
  DDPIXELFORMAT format;
  DWORD white;       // MakePixel(255, 255, 255, 255)
  DWORD grey;        // MakePixel(0, 0x80, 0x80, 0x80)
  DWORD redShift, redLoss;
};

TEST(PixelFormat, MasksShiftsLossesAndMakePixelPerFormat) {
  const FormatCase cases[] = {
      {PixelFormatOf(16, 0xF800, 0x07E0, 0x001F, 0), 0xFFFF, 0x8410, 11, 3},
      {PixelFormatOf(16, 0x7C00, 0x03E0, 0x001F, 0), 0x7FFF, 0x4210, 10, 3},
      {PixelFormatOf(32, 0xFF0000, 0xFF00, 0xFF, 0), 0x00FFFFFF, 0x00808080, 16, 0},
      {PixelFormatOf(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000), 0xFFFFFFFF, 0x00808080, 16, 0},
      {PixelFormatOf(8, 0, 0, 0, 0), 0, 0, 32, 8},
  };
  for (const auto& c : cases) {
    TBrinGenSurface s(nullptr, nullptr, 1, 1);
    s.AnalysePixelFormat(c.format);
    EXPECT_EQ(s.MakePixel(255, 255, 255, 255), c.white) << c.format.dwRGBBitCount;
    EXPECT_EQ(s.MakePixel(0, 0x80, 0x80, 0x80), c.grey) << c.format.dwRGBBitCount;
    EXPECT_EQ(s.RShift, c.redShift);
    EXPECT_EQ(s.RLoss, c.redLoss);
  }
  // An empty mask: shift 32, loss 8, and it adds nothing to MakePixel.
  TBrinGenSurface s(nullptr, nullptr, 1, 1);
  s.AnalysePixelFormat(PixelFormatOf(32, 0xFF0000, 0xFF00, 0xFF, 0));
  EXPECT_EQ(s.AShift, 32u);
  EXPECT_EQ(s.ALoss, 8u);
  // Nine or more bits lose nothing.
  s.AnalysePixelFormat(PixelFormatOf(32, 0x3FF00000, 0xFFC00, 0x3FF, 0));
  EXPECT_EQ(s.RLoss, 0u);
  EXPECT_EQ(s.RShift, 20u);
}

TEST_F(DisplayTest, SurfaceCreationSaysWhereItGoesAndRetriesInSystemMemory) {
  TBrin* brin = Start();
  NewLogLines();
  {
    TBrinSurface sheet(brin, 256, 256, 0);
    EXPECT_THAT(NewLogLines(), ElementsAre("サーフェスをビデオメモリに配置します", "サーフェスリストの0番に追加しました",
                                           "PixelFormat: AMask=00000000 RMask=00ff0000 GMask=0000ff00 BMask=000000ff"));
  }
  NewLogLines();
  backend.SetVideoMemoryBytes(640 * 480 * 4 + 1024);  // the back buffer fits, a sheet no more
  brin->ChangeToWindow(640, 480);
  NewLogLines();
  TBrinSurface sheet(brin, 256, 256, 0);
  // The line written before the retry still names video memory.
  EXPECT_EQ(NewLogLines().front(), "サーフェスをビデオメモリに配置します");
  DDSCAPS2 caps{};
  ASSERT_NE(sheet.DDSurface, nullptr);
  sheet.DDSurface->GetCaps(&caps);
  EXPECT_TRUE(caps.dwCaps & DDSCAPS_SYSTEMMEMORY);
}

TEST_F(DisplayTest, CompatibleLocationIsSystemMemoryInAWindowAndTheDriversChoiceInFullScreen) {
  TBrin* brin = Start([](TBrin* b) { b->SurfaceLocation = smtCompatible; });
  NewLogLines();
  { TBrinSurface s(brin, 8, 8, 0); }
  EXPECT_EQ(NewLogLines().front(), "サーフェスをシステムメモリに配置します");
  brin->ChangeToFullScreen(640, 480, 8, 0, "");
  NewLogLines();
  { TBrinSurface s(brin, 8, 8, 0); }
  EXPECT_EQ(NewLogLines().front(), "サーフェスをドライバのデフォルトの位置(おそらくビデオメモリ)に配置します");
}

TEST_F(DisplayTest, FailedCreationCarriesOnWithoutASurface) {
  TBrin* brin = Start();
  platform::InjectFault("IDirectDraw7::CreateSurface", static_cast<HRESULT>(0x8876017Cu), platform::FaultMode::Always);
  TBrinSurface sheet(brin, 16, 16, 0);
  platform::ClearFaults();
  EXPECT_TRUE(Logged("サーフェスを作れませんでした(Error Code(8876017C))"));
  EXPECT_EQ(sheet.DDSurface, nullptr);
  // Every operation is a safe no-op.
  EXPECT_EQ(sheet.GetPixel(0, 0), 0u);
  EXPECT_EQ(sheet.ColorMatch(RGB(255, 255, 255)), 0u);
  EXPECT_FALSE(sheet.IsLost());
  sheet.Restore();
  EXPECT_EQ(sheet.DrawFastToBack(0, 0, Rect(0, 0, 16, 16), DDBLTFAST_SRCCOLORKEY), DD_OK);
}

TEST_F(DisplayTest, DestroyingAStillReferencedSurfaceIsReported) {
  TBrin* brin = Start();
  auto sheet = std::make_unique<TBrinSurface>(brin, 16, 16, 0);
  IDirectDrawSurface7* kept = sheet->DDSurface;
  kept->AddRef();
  sheet.reset();
  EXPECT_TRUE(Logged("サーフェスの解放に失敗しました(Error Code(1))"));
  EXPECT_EQ(kept->Release(), 0u);
}

TEST_F(DisplayTest, ColorMatchOfBlackAndWhiteInEveryDepth) {
  for (DWORD bits : {16u, 24u, 32u}) {
    backend.SetDesktopMode({1024, 768, bits, 60});
    platform::Install(&backend);
    TBrin* brin = Start();
    TBrinSurface sheet(brin, 4, 4, 0);
    const std::uint32_t white = bits == 16 ? 0xFFFF : 0xFFFFFF;
    EXPECT_EQ(sheet.ColorMatch(RGB(0, 0, 0)), 0u) << bits;
    EXPECT_EQ(sheet.ColorMatch(RGB(255, 255, 255)), white) << bits;
    EXPECT_EQ(brin->PrimarySurface->ColorMatch(RGB(255, 255, 255)), white) << bits;
    delete app;
    app = nullptr;
  }
}

TEST_F(DisplayTest, ColorMatchPutsPixelZeroBack) {
  TBrin* brin = Start();
  TBrinSurface sheet(brin, 4, 4, 0);
  RECT one{0, 0, 1, 1};
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  fx.dwFillColor = 0x123456;
  ASSERT_EQ(sheet.DDSurface->Blt(&one, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
  EXPECT_EQ(sheet.ColorMatch(RGB(255, 0, 0)), 0xFF0000u);
  EXPECT_EQ(sheet.GetPixel(0, 0), 0x123456u);
}

TEST_F(DisplayTest, GetPixelInsideAndOutside) {
  TBrin* brin = Start();
  TBrinSurface sheet(brin, 5, 3, 0);
  RECT last{4, 2, 5, 3};
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  fx.dwFillColor = 0xABCDEF;
  sheet.DDSurface->Blt(&last, nullptr, nullptr, DDBLT_COLORFILL, &fx);
  NewLogLines();
  EXPECT_EQ(sheet.GetPixel(4, 2), 0xABCDEFu);
  EXPECT_TRUE(NewLogLines().empty());
  sheet.GetPixel(5, 0);
  sheet.GetPixel(0, -1);
  EXPECT_THAT(NewLogLines(), ElementsAre("サーフェス外のピクセルを参照しようとしました", "サーフェス外のピクセルを参照しようとしました"));
}

// A 16 x 16 source whose pixel (x, y) is 0x010000 * (x + 1) + (y + 1), drawn
// onto the 640 x 480 back buffer: every destination pixel tells which source
// pixel reached it.
class ClipTest : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    brin = Start();
    sprite = std::make_unique<TBrinSurface>(brin, 16, 16, 0xFFFFFFFF);
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(sprite->DDSurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(desc.lpSurface) + y * desc.lPitch)[x] =
            0x010000u * (x + 1) + (y + 1);
    sprite->DDSurface->Unlock(nullptr);
    brin->Clear();
  }
  void TearDown() override {
    sprite.reset();
    DisplayTest::TearDown();
  }
  std::uint32_t Back(int x, int y) { return brin->BackBuffer->GetPixel(x, y); }
  static std::uint32_t Source(int x, int y) { return 0x010000u * (x + 1) + (y + 1); }

  TBrin* brin = nullptr;
  std::unique_ptr<TBrinSurface> sprite;
};

TEST_F(ClipTest, DrawFastHalfOffTheLeftEdgeTrimsTheSource) {
  ASSERT_EQ(sprite->DrawFastToBack(-8, 10, Rect(0, 0, 16, 16), DDBLTFAST_SRCCOLORKEY), DD_OK);
  EXPECT_EQ(Back(0, 10), Source(8, 0));
  EXPECT_EQ(Back(7, 25), Source(15, 15));
  EXPECT_EQ(Back(8, 10), 0u);
}

TEST_F(ClipTest, DrawFastOffTheBottomRightAndReversedRectangles) {
  ASSERT_EQ(sprite->DrawFastToBack(630, 470, Rect(16, 16, 0, 0), 0), DD_OK);  // normalised
  EXPECT_EQ(Back(630, 470), Source(0, 0));
  EXPECT_EQ(Back(639, 479), Source(9, 9));
}

TEST_F(ClipTest, DrawFastTouchingTheClipReachesBltFastWithZeroExtent) {
  const HRESULT marker = static_cast<HRESULT>(0x8876BEEFu);
  platform::InjectFault("IDirectDrawSurface7::BltFast", marker, platform::FaultMode::Always);
  // Ends exactly at the left edge, starts exactly at the right edge: kept.
  EXPECT_EQ(sprite->DrawFastToBack(-16, 0, Rect(0, 0, 16, 16), 0), marker);
  EXPECT_EQ(sprite->DrawFastToBack(640, 0, Rect(0, 0, 16, 16), 0), marker);
  // One pixel further out: rejected before BltFast, result 0.
  EXPECT_EQ(sprite->DrawFastToBack(-17, 0, Rect(0, 0, 16, 16), 0), DD_OK);
  EXPECT_EQ(sprite->DrawFastToBack(0, 481, Rect(0, 0, 16, 16), 0), DD_OK);
  platform::ClearFaults();
}

TEST_F(ClipTest, StretchedDrawIsTrimmedInProportion) {
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  // Twice the size, half off the left edge: the right half of the source shows.
  ASSERT_EQ(sprite->DrawToBack(Rect(-16, 0, 16, 32), Rect(0, 0, 16, 16), 0, fx), DD_OK);
  EXPECT_EQ(Back(0, 0), Source(8, 0));
  EXPECT_EQ(Back(1, 1), Source(8, 0));
  EXPECT_EQ(Back(15, 31), Source(15, 15));
  // Three times the size, 10 pixels off the left: the source starts at
  // 16 - 38 * 16 / 48 = 16 - 12 (truncated from 12.67) = 4.
  brin->Clear();
  ASSERT_EQ(sprite->DrawToBack(Rect(-10, 100, 38, 148), Rect(0, 0, 16, 16), 0, fx), DD_OK);
  EXPECT_EQ(Back(0, 100), Source(4, 0));
  EXPECT_EQ(Back(37, 147), Source(15, 15));
}

TEST_F(ClipTest, CoordinatesAtTheEndsOfTheRangeAreSafe) {
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  for (const LONG far : {INT32_MAX - 4, INT32_MIN + 4}) {
    EXPECT_EQ(sprite->DrawFastToBack(far, far, Rect(0, 0, 16, 16), 0), DD_OK);
  }
  sprite->DrawToBack(Rect(INT32_MAX - 8, 0, INT32_MAX, 8), Rect(0, 0, 16, 16), 0, fx);
  sprite->DrawToBack(Rect(INT32_MIN, 0, INT32_MIN + 8, 8), Rect(0, 0, 16, 16), 0, fx);
  // A destination spanning the whole range: clipped to the screen, scaled.
  sprite->DrawToBack(Rect(INT32_MIN, 0, INT32_MAX, 16), Rect(0, 0, 16, 16), 0, fx);
  EXPECT_EQ(Back(639, 479), 0u);
}

TEST_F(ClipTest, ClipRectLimitsDrawsWhenSet) {
  brin->BackBuffer->ClipRect = Rect(100, 100, 110, 110);
  brin->BackBuffer->UseClipRect = true;
  ASSERT_EQ(sprite->DrawFastToBack(95, 95, Rect(0, 0, 16, 16), 0), DD_OK);
  EXPECT_EQ(Back(100, 100), Source(5, 5));
  EXPECT_EQ(Back(109, 109), Source(14, 14));
  EXPECT_EQ(Back(110, 110), 0u);
  EXPECT_EQ(Back(99, 100), 0u);
}

TEST_F(ClipTest, DrawsOntoThePrimaryAreNotClippedByTheLibrary) {
  const HRESULT marker = static_cast<HRESULT>(0x8876BEEFu);
  platform::InjectFault("IDirectDrawSurface7::Blt", marker, platform::FaultMode::Always);
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  // Wholly outside the primary's own size: a clipped draw would be dropped
  // and return 0; the primary's goes to Blt as it stands.
  EXPECT_EQ(TBrinGenSurface::Draw(brin->PrimarySurface, sprite.get(), Rect(-500, -500, -400, -400), Rect(0, 0, 16, 16), 0, fx),
            marker);
  EXPECT_EQ(TBrinGenSurface::Draw(brin->BackBuffer, sprite.get(), Rect(-500, -500, -400, -400), Rect(0, 0, 16, 16), 0, fx),
            DD_OK);
  platform::ClearFaults();
}

}  // namespace
}  // namespace brin::testing
