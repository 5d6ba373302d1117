// The sprite table drawing onto a headless display: order and layers,
// what is left out and reported, clipping at the screen's edges, and which
// blit each kind of entry goes through, with its retry.
#include <limits>
#include <memory>

#include "surfaces/brin_sprite.h"
#include "tests/display/display_fixture.h"

namespace brin::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;
// The cleared back buffer: not black, so that a keyed pixel drawn opaque
// (the key is black) would show.
constexpr std::uint32_t kBack = 0x303030;
// Shapes of the test sheet: a red square with a keyed 4 x 4 hole at (6, 6),
// plain green and blue squares, and a square whose every pixel tells which
// source pixel it is.
constexpr std::int32_t kRedShape = 0, kGreenShape = 1, kBlueShape = 2, kTellShape = 3;
std::uint32_t Tell(int x, int y) { return 0x010000u * static_cast<std::uint32_t>(x + 1) + static_cast<std::uint32_t>(y + 1); }

constexpr HRESULT kRefused = static_cast<HRESULT>(0x88760064u);
const char* const kBlt = "IDirectDrawSurface7::Blt";
const char* const kBltFast = "IDirectDrawSurface7::BltFast";

class SpriteDraw : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    brin = Start();
    brin->BackColor = kBack;
    sheet = std::make_unique<TBrinSurface>(brin, 64, 64, 0);
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(sheet->DDSurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    for (int y = 0; y < 64; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(desc.lpSurface) + y * desc.lPitch);
      for (int x = 0; x < 64; ++x) {
        std::uint32_t v = 0;
        if (y < 16 && x < 16) v = (x >= 6 && x < 10 && y >= 6 && y < 10) ? 0 : kRed;
        if (y < 16 && x >= 16 && x < 32) v = kGreen;
        if (y < 16 && x >= 32 && x < 48) v = kBlue;
        if (y >= 16 && y < 32 && x < 16) v = Tell(x, y - 16);
        row[x] = v;
      }
    }
    sheet->DDSurface->Unlock(nullptr);
    table = std::make_unique<TBrinSprite>(720, 400);
    table->SetShape(kRedShape, sheet.get(), Rect(0, 0, 16, 16));
    table->SetShape(kGreenShape, sheet.get(), Rect(16, 0, 32, 16));
    table->SetShape(kBlueShape, sheet.get(), Rect(32, 0, 48, 16));
    table->SetShape(kTellShape, sheet.get(), Rect(0, 16, 16, 32));
    NewLogLines();
  }
  void TearDown() override {
    platform::ClearFaults();
    table.reset();
    sheet.reset();
    DisplayTest::TearDown();
  }

  TBrinSprReg* Place(std::int32_t n, std::int32_t shape, std::int32_t x, std::int32_t y) {
    TBrinSprReg* e = table->Entry(n);
    e->IShape = shape;
    e->X = x;
    e->Y = y;
    e->Show();
    return e;
  }
  // One frame as the game draws it: the back buffer cleared, then the table.
  void Frame() {
    ASSERT_EQ(brin->Clear(), DD_OK);
    table->DrawAll();
  }
  // A frame whose blits meet an armed fault; the clear goes first so that it
  // does not take the fault itself.
  void FrameWithFault(const char* call, platform::FaultMode mode, HRESULT code = kRefused) {
    ASSERT_EQ(brin->Clear(), DD_OK);
    platform::InjectFault(call, code, mode);
    table->DrawAll();
  }
  std::uint32_t Back(int x, int y) { return brin->BackBuffer->GetPixel(x, y); }

  TBrin* brin = nullptr;
  std::unique_ptr<TBrinSurface> sheet;
  std::unique_ptr<TBrinSprite> table;
};

TEST_F(SpriteDraw, LowerEntryNumbersLieOnTopWithinALayer) {
  Place(20, kGreenShape, 100, 100);
  Place(10, kRedShape, 100, 100);
  Frame();
  EXPECT_EQ(Back(100, 100), kRed);
  EXPECT_EQ(Back(115, 115), kRed);
  EXPECT_EQ(Back(107, 107), kGreen);  // the key: entry 20 shows through the hole
  // Whichever shape each has, entry 10 stays on top.
  table->Entry(10)->IShape = kBlueShape;
  Frame();
  EXPECT_EQ(Back(107, 107), kBlue);
  // Partly overlapping, each shows where the other is not.
  table->Entry(20)->X = 108;
  Frame();
  EXPECT_EQ(Back(115, 100), kBlue);
  EXPECT_EQ(Back(116, 100), kGreen);
  EXPECT_EQ(Back(123, 115), kGreen);
  EXPECT_THAT(NewLogLines(), IsEmpty());
}

TEST_F(SpriteDraw, HigherLayersCoverLowerOnesWhateverTheirNumbers) {
  table->SetMaxZ(2);
  Place(700, kGreenShape, 50, 50)->Z = 2;
  Place(5, kRedShape, 50, 50)->Z = 0;
  Place(6, kBlueShape, 50, 50)->Z = 1;
  Frame();
  EXPECT_EQ(Back(50, 50), kGreen);
  table->Entry(700)->X = 300;
  Frame();
  EXPECT_EQ(Back(50, 50), kBlue);
  EXPECT_EQ(Back(300, 50), kGreen);
  table->Entry(6)->Hide();
  Frame();
  EXPECT_EQ(Back(50, 50), kRed);
  EXPECT_EQ(Back(57, 57), kBack);
  EXPECT_THAT(NewLogLines(), IsEmpty());
}

TEST_F(SpriteDraw, AnEntryInAnInvalidLayerIsReportedEveryFrameAndOnlyItIsLeftOut) {
  Place(3, kRedShape, 0, 0)->Z = 1;
  Place(4, kGreenShape, 50, 50);
  Place(5, kBlueShape, 80, 80)->Z = -2;
  Frame();
  Frame();
  // Filed from the highest number down: entry 5 before entry 3.
  EXPECT_THAT(NewLogLines(), ElementsAre("Z=-2は無効です、Z値は0から0の範囲にしてください",
                                         "Z=1は無効です、Z値は0から0の範囲にしてください",
                                         "Z=-2は無効です、Z値は0から0の範囲にしてください",
                                         "Z=1は無効です、Z値は0から0の範囲にしてください"));
  EXPECT_EQ(Back(0, 0), kBack);
  EXPECT_EQ(Back(80, 80), kBack);
  EXPECT_EQ(Back(50, 50), kGreen);
  // Asking for a layer outside the range draws nothing and says so.
  ASSERT_EQ(brin->Clear(), DD_OK);
  table->DrawLayer(1);
  table->DrawLayer(-1);
  EXPECT_THAT(NewLogLines(), ElementsAre("Z=1は無効です、Z値は0から0の範囲にしてください",
                                         "Z=-1は無効です、Z値は0から0の範囲にしてください"));
  EXPECT_EQ(Back(50, 50), kBack);
}

TEST_F(SpriteDraw, InvisibleEntriesAreNeitherDrawnNorReported) {
  TBrinSprReg* bad = Place(7, 999, 10, 10);
  bad->Z = 9;
  bad->Hide();
  TBrinSprReg* plain = Place(8, kGreenShape, 30, 30);
  plain->Hide();
  Frame();
  EXPECT_EQ(Back(30, 30), kBack);
  plain->Show();
  Frame();
  EXPECT_EQ(Back(30, 30), kGreen);
  plain->Hide();
  Frame();
  EXPECT_EQ(Back(30, 30), kBack);
  EXPECT_THAT(NewLogLines(), IsEmpty());
}

TEST_F(SpriteDraw, BadShapeNumbersAndShapesWithoutASurfaceAreReportedEveryFrame) {
  Place(1, 399, 0, 0)->AnimFrame = 1;  // 400 in a table of 400 shapes
  Place(2, -1, 0, 0);
  Place(3, 50, 0, 0);  // never given a surface
  Place(4, kGreenShape, 100, 100);
  Frame();
  Frame();
  const char* const lines[] = {"BrinSprite.Shape[50]に使うサーフェスが見付かりません",
                               "BrinSprite.IShape=-1は無効です、IShapeは0から399の範囲にしてください",
                               "BrinSprite.IShape=400は無効です、IShapeは0から399の範囲にしてください"};
  EXPECT_THAT(NewLogLines(), ElementsAre(lines[0], lines[1], lines[2], lines[0], lines[1], lines[2]));
  EXPECT_EQ(Back(0, 0), kBack);
  EXPECT_EQ(Back(100, 100), kGreen);
  // A sum that passes the 32-bit range is reported as the number it is.
  Place(2, std::numeric_limits<std::int32_t>::max(), 0, 0)->AnimFrame = 1;
  table->Entry(1)->Hide();
  table->Entry(3)->Hide();
  Frame();
  EXPECT_THAT(NewLogLines(), ElementsAre("BrinSprite.IShape=2147483648は無効です、IShapeは0から399の範囲にしてください"));
}

TEST_F(SpriteDraw, EntriesPartlyOffTheScreenAreTrimmedNotSkipped) {
  Place(1, kTellShape, -8, 10);
  Place(2, kTellShape, 632, 472);
  Place(3, kTellShape, 600, -12);
  Place(4, kTellShape, -16, 300);  // ends exactly at the left edge
  Place(5, kTellShape, 640, 300);  // starts exactly past the right edge
  Place(6, kTellShape, -1000, -1000);
  TBrinSprReg* big = Place(7, kTellShape, -16, 200);  // twice the size, half off
  big->ScaleX = big->ScaleY = true;
  big->XNum = big->YNum = 2;
  Frame();
  EXPECT_EQ(Back(0, 10), Tell(8, 0));
  EXPECT_EQ(Back(7, 25), Tell(15, 15));
  EXPECT_EQ(Back(8, 10), kBack);
  EXPECT_EQ(Back(632, 472), Tell(0, 0));
  EXPECT_EQ(Back(639, 479), Tell(7, 7));
  EXPECT_EQ(Back(600, 0), Tell(0, 12));
  EXPECT_EQ(Back(615, 3), Tell(15, 15));
  EXPECT_EQ(Back(0, 300), kBack);
  EXPECT_EQ(Back(639, 300), kBack);
  EXPECT_EQ(Back(0, 200), Tell(8, 0));
  EXPECT_EQ(Back(1, 201), Tell(8, 0));
  EXPECT_EQ(Back(15, 231), Tell(15, 15));
  EXPECT_THAT(NewLogLines(), IsEmpty());
}

TEST_F(SpriteDraw, FailedFastBlitsAreRetriedOnceThenLeftOutSilently) {
  Place(1, kGreenShape, 40, 10);
  Place(2, kRedShape, 10, 10);  // drawn first, so it meets the fault
  FrameWithFault(kBltFast, platform::FaultMode::Once);
  EXPECT_EQ(platform::FaultHits(kBltFast), 1);
  EXPECT_EQ(Back(10, 10), kRed);
  EXPECT_EQ(Back(40, 10), kGreen);
  EXPECT_EQ(Back(17, 17), kBack);  // the retry keeps the key
  FrameWithFault(kBltFast, platform::FaultMode::Always);
  EXPECT_EQ(platform::FaultHits(kBltFast), 4);
  EXPECT_EQ(Back(10, 10), kBack);
  EXPECT_EQ(Back(40, 10), kBack);
  EXPECT_THAT(NewLogLines(), IsEmpty());
}

TEST_F(SpriteDraw, ScaledEntriesAreStretchedThroughBltWithTheirKey) {
  TBrinSprReg* e = Place(1, kRedShape, 200, 200);
  e->ScaleX = e->ScaleY = true;
  e->XNum = 2;
  e->YNum = 3;
  // With the fast blit failing, only a stretched draw can put it there.
  FrameWithFault(kBltFast, platform::FaultMode::Always);
  EXPECT_EQ(platform::FaultHits(kBltFast), 0);
  EXPECT_EQ(Back(200, 200), kRed);
  EXPECT_EQ(Back(231, 247), kRed);
  EXPECT_EQ(Back(232, 200), kBack);
  EXPECT_EQ(Back(200, 248), kBack);
  EXPECT_EQ(Back(211, 218), kRed);
  EXPECT_EQ(Back(212, 218), kBack);  // the hole, three times as high
  EXPECT_EQ(Back(219, 229), kBack);
  platform::ClearFaults();

  // A refused first attempt is repeated, still keyed.
  FrameWithFault(kBlt, platform::FaultMode::Once);
  EXPECT_EQ(platform::FaultHits(kBlt), 1);
  EXPECT_EQ(Back(200, 200), kRed);
  EXPECT_EQ(Back(212, 218), kBack);
  // Refused twice, it is missing from the frame and nothing is said.
  FrameWithFault(kBlt, platform::FaultMode::Always);
  EXPECT_EQ(platform::FaultHits(kBlt), 2);
  EXPECT_EQ(Back(200, 200), kBack);
  EXPECT_THAT(NewLogLines(), IsEmpty());
}

TEST_F(SpriteDraw, SetHeightWithTheShapesOwnHeightReturnsToTheFastBlit) {
  TBrinSprReg* e = Place(1, kRedShape, 300, 100);
  e->SetHeight(32);
  FrameWithFault(kBltFast, platform::FaultMode::Always);
  EXPECT_EQ(Back(300, 131), kRed);
  EXPECT_EQ(Back(306, 112), kBack);
  EXPECT_EQ(Back(306, 111), kRed);
  platform::ClearFaults();
  e->SetHeight(16);
  FrameWithFault(kBlt, platform::FaultMode::Always);
  EXPECT_EQ(platform::FaultHits(kBlt), 0);
  EXPECT_EQ(Back(300, 100), kRed);
  EXPECT_EQ(Back(300, 116), kBack);
}

TEST_F(SpriteDraw, TranslucentEntriesBlendAndFallBackToOpaqueKeyedDraws) {
  Place(20, kGreenShape, 100, 100);
  TBrinSprReg* e = Place(10, kRedShape, 100, 100);
  e->Alpha = 128;
  Frame();
  // Red at 128/255 over green: (255 * 128 + 127) / 255 and (255 * 127 + 127) / 255.
  EXPECT_EQ(Back(100, 100), 0x807F00u);
  EXPECT_EQ(Back(107, 107), kGreen);

  // A device that cannot blend: the second attempt draws it opaque, keyed.
  FrameWithFault(kBlt, platform::FaultMode::Once, DDERR_NOALPHAHW);
  EXPECT_EQ(platform::FaultHits(kBlt), 1);
  EXPECT_EQ(Back(100, 100), kRed);
  EXPECT_EQ(Back(107, 107), kGreen);
  FrameWithFault(kBlt, platform::FaultMode::Always, DDERR_NOALPHAHW);
  EXPECT_EQ(platform::FaultHits(kBlt), 2);
  EXPECT_EQ(Back(100, 100), kGreen);
  platform::ClearFaults();

  // Translucent and stretched at once: blended over the background, 0x30
  // per channel: (255 * 128 + 48 * 127 + 127) / 255 and (48 * 127 + 127) / 255.
  e->ScaleX = true;
  e->XNum = 2;
  Frame();
  EXPECT_EQ(Back(120, 100), 0x981818u);
  EXPECT_EQ(Back(131, 115), 0x981818u);
  EXPECT_EQ(Back(132, 100), kBack);
  EXPECT_THAT(NewLogLines(), IsEmpty());
}

TEST_F(SpriteDraw, AZeroScaleDenominatorLeavesOnlyThatEntryOut) {
  TBrinSprReg* e = Place(1, kRedShape, 10, 10);
  e->ScaleY = true;
  e->YDen = 0;
  Place(2, kGreenShape, 40, 10);
  Frame();
  EXPECT_EQ(Back(10, 10), kBack);
  EXPECT_EQ(Back(40, 10), kGreen);
  EXPECT_THAT(NewLogLines(), IsEmpty());
}

TEST_F(SpriteDraw, WithoutDebugMessagesNothingIsWrittenAndDrawingGoesOn) {
  brin->SetDebugOption({broHaltOnError});  // the game's setting
  Place(1, kRedShape, 0, 0)->Z = 4;
  Place(2, 400, 0, 0);
  Place(3, 77, 0, 0);
  Place(4, kGreenShape, 20, 20);
  Frame();
  table->DrawLayer(8);
  EXPECT_THAT(NewLogLines(), IsEmpty());
  EXPECT_EQ(Back(20, 20), kGreen);
}

TEST_F(SpriteDraw, ATableOfOneEntryDrawsAndNothingIsDrawnBeforeTheFirstFiling) {
  TBrinSprite one(1, 1);
  EXPECT_EQ(one.SlotShift, 0);
  one.SetShape(0, sheet.get(), Rect(16, 0, 32, 16));
  one.Entry(0)->Show();
  one.Entry(0)->X = 5;
  ASSERT_EQ(brin->Clear(), DD_OK);
  one.DrawLayer(0);
  EXPECT_EQ(Back(5, 0), kBack);
  one.DrawAll();
  EXPECT_EQ(Back(5, 0), kGreen);
}

TEST_F(DisplayTest, TranslucentEntriesOnAnEightBitDisplayAreDrawnOpaque) {
  TBrin* brin = Start();
  brin->ChangeToFullScreen(640, 480, 8, 0, "");
  ASSERT_EQ(brin->ScreenBitDepth, 8);
  TBrinSurface sheet(brin, 16, 16, 0);
  DDBLTFX fill{};
  fill.dwSize = sizeof fill;
  fill.dwFillColor = 5;
  ASSERT_EQ(sheet.DDSurface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fill), DD_OK);
  RECT hole{4, 4, 8, 8};
  fill.dwFillColor = 0;
  ASSERT_EQ(sheet.DDSurface->Blt(&hole, nullptr, nullptr, DDBLT_COLORFILL, &fill), DD_OK);
  TBrinSprite table(1, 1);
  table.SetShape(0, &sheet, Rect(0, 0, 16, 16));
  TBrinSprReg* e = table.Entry(0);
  e->Show();
  e->X = 10;
  e->Y = 10;
  e->Alpha = 100;
  brin->BackColor = 9;
  ASSERT_EQ(brin->Clear(), DD_OK);
  // The device refuses the blend itself, so the entry can only come from
  // the second attempt.
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  fx.dwAlphaSrcConstBitDepth = 8;
  fx.dwAlphaSrcConst = 100;
  ASSERT_NE(sheet.DrawToBack(Rect(10, 10, 26, 26), Rect(0, 0, 16, 16), DDBLT_KEYSRC | DDBLT_ALPHASRCCONSTOVERRIDE, fx),
            DD_OK);
  table.DrawAll();
  EXPECT_EQ(brin->BackBuffer->GetPixel(10, 10), 5u);
  EXPECT_EQ(brin->BackBuffer->GetPixel(25, 25), 5u);
  EXPECT_EQ(brin->BackBuffer->GetPixel(14, 14), 9u);
}

}  // namespace
}  // namespace brin::testing
