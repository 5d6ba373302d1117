// Clearing and presenting frames, the windowed copy and the full-screen
// flip with its fallback, the 8-bit palette in both modes, the palette file
// and the colour-depth check at start.
#include <cstdio>
#include <memory>

#include "platform/gdi.h"
#include "platform/window.h"
#include "tests/display/bitmap_test_support.h"
#include "tests/display/display_fixture.h"

namespace brin::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr HRESULT kFault = static_cast<HRESULT>(0x88760BADu);

class PresentTest : public DisplayTest {
 protected:
  TBrin* StartAt(DWORD depth, Configure configure = nullptr) {
    backend.SetDesktopMode({1024, 768, depth, 60});
    platform::Install(&backend);
    brin = Start(std::move(configure));
    form->Show();
    form->SetClientWidth(640);
    form->SetClientHeight(480);
    return brin;
  }
  // Paints the back buffer with four coloured quarters and a marker pixel,
  // so that a misplaced or mirrored copy shows.
  void PaintBackBuffer(int width, int height) {
    auto fill = [&](LONG l, LONG t, LONG r, LONG b, DWORD colour) {
      RECT rect{l, t, r, b};
      DDBLTFX fx{};
      fx.dwSize = sizeof fx;
      fx.dwFillColor = colour;
      ASSERT_EQ(brin->BackBuffer->DDSurface->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
    };
    fill(0, 0, width / 2, height / 2, 0xFF0000);
    fill(width / 2, 0, width, height / 2, 0x00FF00);
    fill(0, height / 2, width / 2, height, 0x0000FF);
    fill(width / 2, height / 2, width, height, 0xFFFFFF);
    fill(1, 1, 2, 2, 0x123456);
  }
  static std::vector<PALETTEENTRY> SystemPalette() {
    std::vector<PALETTEENTRY> entries(256);
    HDC screen = ::GetDC(nullptr);
    ::GetSystemPaletteEntries(screen, 0, 256, entries.data());
    ::ReleaseDC(nullptr, screen);
    return entries;
  }

  TBrin* brin = nullptr;
};

TEST_F(PresentTest, ClearFillsTheScreenAreaWithBackColorAsARawPixel) {
  StartAt(32, [](TBrin* b) { b->BackColor = 0x00336699; });
  EXPECT_EQ(brin->Clear(), DD_OK);
  const auto pixels = SurfacePixels(*brin->BackBuffer);
  ASSERT_EQ(pixels.size(), 640u * 480u);
  EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(), [](std::uint32_t v) { return v == 0x00336699u; }));

  brin->ChangeToFullScreen(640, 480, 16, 0, "");
  brin->BackColor = 0xF800;  // red, in the 5-6-5 back buffer's own terms
  EXPECT_EQ(brin->Clear(), DD_OK);
  EXPECT_EQ(brin->BackBuffer->GetPixel(639, 479), 0xF800u);
  // A failing blit's result is handed back, unreported.
  NewLogLines();
  platform::InjectFault("IDirectDrawSurface7::Blt", kFault);
  EXPECT_EQ(brin->Clear(), kFault);
  EXPECT_THAT(NewLogLines(), IsEmpty());
}

TEST_F(PresentTest, WindowedFlipCopiesTheBackBufferOntoTheClientArea) {
  StartAt(32, [](TBrin* b) { b->VsyncAtWindowed = false; });
  form->SetLeft(123);
  form->SetTop(45);
  PaintBackBuffer(640, 480);
  const auto before = backend.FramesPresented();
  brin->Flip();
  ASSERT_EQ(backend.FramesPresented(), before + 1);
  const auto& frame = backend.LastFrame();
  ASSERT_EQ(frame.width, 640u);
  ASSERT_EQ(frame.height, 480u);
  EXPECT_EQ(frame.At(0, 0), 0xFF0000u);
  EXPECT_EQ(frame.At(1, 1), 0x123456u);
  EXPECT_EQ(frame.At(639, 0), 0x00FF00u);
  EXPECT_EQ(frame.At(0, 479), 0x0000FFu);
  EXPECT_EQ(frame.At(639, 479), 0xFFFFFFu);
}

TEST_F(PresentTest, LargerClientAreaShowsTheFrameStretched) {
  StartAt(32, [](TBrin* b) { b->VsyncAtWindowed = false; });
  brin->ChangeToWindow(320, 240);
  PaintBackBuffer(320, 240);
  brin->Flip();
  const auto& frame = backend.LastFrame();
  ASSERT_EQ(frame.width, 640u);
  EXPECT_EQ(frame.At(2, 2), 0x123456u);
  EXPECT_EQ(frame.At(3, 3), 0x123456u);
  EXPECT_EQ(frame.At(4, 4), 0xFF0000u);
  EXPECT_EQ(frame.At(319, 0), 0xFF0000u);
  EXPECT_EQ(frame.At(320, 0), 0x00FF00u);
  EXPECT_EQ(frame.At(639, 479), 0xFFFFFFu);
}

TEST_F(PresentTest, WindowedFlipWaitsForTheVerticalBlankOnlyWhenAsked) {
  StartAt(32);  // VsyncAtWindowed is on by default
  backend.AdvanceClock(5000 - platform::NowMicroseconds() % 16667);  // 5 ms into a 60 Hz frame
  const std::uint64_t start = platform::NowMicroseconds();
  brin->Flip();
  const std::uint64_t blank = (start / 16667 + 1) * 16667;
  EXPECT_GE(backend.LastFrame().timeUs, blank - 1);
  EXPECT_LE(backend.LastFrame().timeUs, blank + 1);

  brin->VsyncAtWindowed = false;
  backend.AdvanceClock(5000);
  const std::uint64_t now = platform::NowMicroseconds();
  brin->Flip();
  EXPECT_EQ(backend.LastFrame().timeUs, now);
}

TEST_F(PresentTest, FullScreenFlipsAndAFailedFlipFallsBackToTheCopy) {
  StartAt(32);
  brin->ChangeToFullScreen(640, 480, 32, 0, "");
  PaintBackBuffer(640, 480);
  platform::InjectFault("IDirectDrawSurface7::Blt", kFault, platform::FaultMode::Always);
  brin->Flip();
  EXPECT_EQ(platform::FaultHits("IDirectDrawSurface7::Blt"), 0);  // a flip that works copies nothing
  platform::ClearFaults();
  EXPECT_EQ(backend.LastFrame().At(1, 1), 0x123456u);
  EXPECT_EQ(backend.LastFrame().At(639, 479), 0xFFFFFFu);

  // The chain turned over: the back buffer now holds the older picture.
  brin->Clear();
  PaintBackBuffer(640, 480);
  FillSurface(*brin->PrimarySurface, 0x0000FF);
  const auto before = backend.FramesPresented();
  NewLogLines();
  platform::InjectFault("IDirectDrawSurface7::Flip", kFault);
  brin->Flip();
  EXPECT_EQ(platform::FaultHits("IDirectDrawSurface7::Flip"), 1);
  EXPECT_GT(backend.FramesPresented(), before);
  EXPECT_EQ(backend.LastFrame().At(1, 1), 0x123456u);  // the back buffer, copied in the same call
  EXPECT_EQ(backend.LastFrame().At(0, 0), 0xFF0000u);
  EXPECT_THAT(NewLogLines(), IsEmpty());
}

TEST_F(PresentTest, LostSurfacesMakePresentingFailSilentlyUntilRestored) {
  StartAt(32);
  brin->ChangeToFullScreen(640, 480, 32, 0, "");
  platform::SetAppActive(false);
  NewLogLines();
  EXPECT_NE(brin->Clear(), DD_OK);
  brin->Flip();
  EXPECT_THAT(NewLogLines(), IsEmpty());
  platform::SetAppActive(true);
  brin->RestoreSurfaces();
  EXPECT_FALSE(brin->PrimarySurface->IsLost());
  EXPECT_FALSE(brin->BackBuffer->IsLost());
  brin->BackColor = 0x00445566;
  EXPECT_EQ(brin->Clear(), DD_OK);
  brin->Flip();
  EXPECT_EQ(backend.LastFrame().At(320, 240), 0x445566u);
}

TEST_F(PresentTest, UpdatePaletteInFullScreenSetsTheEntriesAndReportsAFailure) {
  StartAt(32);
  brin->ChangeToFullScreen(640, 480, 8, 0, "");
  for (int i = 0; i < 256; ++i)
    brin->PaletteEntries[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 7, PC_NOCOLLAPSE};
  brin->UpdatePalette();
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(brin->PrimarySurface->DDSurface->GetPalette(&palette), DD_OK);
  PALETTEENTRY entries[256] = {};
  palette->GetEntries(0, 0, 256, entries);
  palette->Release();
  EXPECT_EQ(entries[0].peGreen, 255);
  EXPECT_EQ(entries[200].peRed, 200);
  EXPECT_EQ(entries[255].peBlue, 7);

  NewLogLines();
  platform::InjectFault("IDirectDrawPalette::SetEntries", kFault);
  brin->UpdatePalette();
  EXPECT_THAT(NewLogLines(), ElementsAre("パレットが更新できませんでした(Error Code(88760BAD))"));
}

TEST_F(PresentTest, UpdatePaletteInAWindowKeepsTheStaticColours) {
  StartAt(8);
  const auto before = SystemPalette();
  for (int i = 0; i < 256; ++i)
    brin->PaletteEntries[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 7, PC_NOCOLLAPSE};
  brin->UpdatePalette();
  const auto after = SystemPalette();
  for (int i = 0; i < 256; ++i) {
    const PALETTEENTRY want = i >= 10 && i <= 245 ? brin->PaletteEntries[i] : before[static_cast<size_t>(i)];
    EXPECT_EQ(after[static_cast<size_t>(i)].peRed, want.peRed) << i;
    EXPECT_EQ(after[static_cast<size_t>(i)].peGreen, want.peGreen) << i;
    EXPECT_EQ(after[static_cast<size_t>(i)].peBlue, want.peBlue) << i;
  }
}

TEST_F(PresentTest, UpdatePaletteDeeperThanEightBitsDoesNothing) {
  StartAt(32);
  for (const char* call : {"GetDC", "CreatePalette", "GetSystemPaletteEntries"})
    platform::InjectFault(call, kFault, platform::FaultMode::Always);
  brin->UpdatePalette();
  brin->ChangeToFullScreen(640, 480, 16, 0, "");
  platform::InjectFault("IDirectDrawPalette::SetEntries", kFault, platform::FaultMode::Always);
  brin->UpdatePalette();
  for (const char* call : {"GetDC", "CreatePalette", "GetSystemPaletteEntries", "IDirectDrawPalette::SetEntries"})
    EXPECT_EQ(platform::FaultHits(call), 0) << call;
  platform::ClearFaults();
}

TEST_F(PresentTest, ChangeToWindowKeepsTheDepthAndDropsTheRefreshRate) {
  StartAt(32);
  brin->ChangeToFullScreen(640, 480, 8, 60, "");
  EXPECT_EQ(brin->RefreshRate, 60);
  NewLogLines();
  brin->ChangeToWindow(640, 480);
  EXPECT_EQ(brin->RefreshRate, 0);
  EXPECT_FALSE(brin->FullScreen);
  EXPECT_EQ(NewLogLines().front(), "スクリーンモード640 x 480 x 8 として初期化を開始します");
}

// --- LoadPaletteFromBMP --------------------------------------------------------

class PaletteFileTest : public PresentTest {
 protected:
  void SetUp() override {
    PresentTest::SetUp();
    StartAt(32);
    for (auto& e : brin->PaletteEntries) e = PALETTEENTRY{1, 2, 3, 0};
  }
  // An 8-bit 1 x 1 bitmap whose header claims COLOURS_USED and whose table
  // has TABLE_ENTRIES entries, entry i being (red i, green 100, blue 200).
  std::string Write(std::uint32_t coloursUsed, int tableEntries) {
    BmpLayout s;
    s.bits = 8;
    s.colorsUsed = coloursUsed;
    for (int i = 0; i < tableEntries; ++i) s.table.insert(s.table.end(), {200, 100, static_cast<std::uint8_t>(i), 0});
    s.pixels = {0, 0, 0, 0};
    const std::string path = (logDir / "palette.bmp").string();
    WriteFileBytes(path, MakeBmp(s));
    return path;
  }
  bool Loaded(int i) const {
    const PALETTEENTRY& e = brin->PaletteEntries[i];
    return e.peRed == i && e.peGreen == 100 && e.peBlue == 200 && e.peFlags == PC_NOCOLLAPSE;
  }
  bool Kept(int i) const {
    const PALETTEENTRY& e = brin->PaletteEntries[i];
    return e.peRed == 1 && e.peGreen == 2 && e.peBlue == 3 && e.peFlags == 0;
  }
};

TEST_F(PaletteFileTest, ColoursUsedSaysHowManyEntriesChange) {
  brin->LoadPaletteFromBMP(Write(16, 16));
  for (int i = 0; i < 256; ++i) EXPECT_TRUE(i < 16 ? Loaded(i) : Kept(i)) << i;
}

TEST_F(PaletteFileTest, ZeroMeansTwoHundredAndFiftySixAndLargerCountsStopThere) {
  brin->LoadPaletteFromBMP(Write(0, 256));
  for (int i = 0; i < 256; ++i) EXPECT_TRUE(Loaded(i)) << i;
  for (auto& e : brin->PaletteEntries) e = PALETTEENTRY{1, 2, 3, 0};
  brin->LoadPaletteFromBMP(Write(100000, 300));
  for (int i = 0; i < 256; ++i) EXPECT_TRUE(Loaded(i)) << i;
  // A table cut short by the end of the file gives what it has.
  for (auto& e : brin->PaletteEntries) e = PALETTEENTRY{1, 2, 3, 0};
  const std::string path = Write(256, 256);
  auto bytes = ReadFileBytes(path);
  bytes.resize(14 + 40 + 4 * 20);
  WriteFileBytes(path, bytes);
  brin->LoadPaletteFromBMP(path);
  for (int i = 0; i < 256; ++i) EXPECT_TRUE(i < 20 ? Loaded(i) : Kept(i)) << i;
}

TEST_F(PaletteFileTest, TheGamesSheetGivesItsOwnColours) {
  brin->LoadPaletteFromBMP(std::string(BRIN_ASSETS_DIR) + "cg1.bmp");
  const auto bmp = ReadFileBytes(std::string(BRIN_ASSETS_DIR) + "cg1.bmp");
  for (int i = 0; i < 256; ++i) {
    const std::uint8_t* quad = &bmp[static_cast<size_t>(54 + 4 * i)];
    EXPECT_EQ(brin->PaletteEntries[i].peRed, quad[2]) << i;
    EXPECT_EQ(brin->PaletteEntries[i].peGreen, quad[1]) << i;
    EXPECT_EQ(brin->PaletteEntries[i].peBlue, quad[0]) << i;
  }
}

TEST_F(PaletteFileTest, MissingFileIsLoggedAndNotRaised) {
  NewLogLines();
  const std::string path = (logDir / "nosuch.bmp").string();
  EXPECT_NO_THROW(brin->LoadPaletteFromBMP(path));
  EXPECT_THAT(NewLogLines(), ElementsAre(path + "が見つかりません"));
  EXPECT_TRUE(Kept(0));
}

TEST_F(PaletteFileTest, NotABitmapRaisesWithoutTheHaltOption) {
  const std::string path = (logDir / "text.bmp").string();
  WriteFileBytes(path, {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '.', '.', '.', '.', '.'});
  try {
    brin->LoadPaletteFromBMP(path);
    FAIL() << "no exception";
  } catch (const ExBrin& e) {
    EXPECT_STREQ(e.what(), "不正なビットマップです");
  }
  EXPECT_TRUE(Kept(0));
}

using PaletteFileDeathTest = PaletteFileTest;

TEST_F(PaletteFileDeathTest, NotABitmapHaltsWithTheHaltOption) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string path = (logDir / "text.bmp").string();
  WriteFileBytes(path, {'M', 'B', 0, 0});
  EXPECT_EXIT(
      {
        brin->SetDebugOption({broHaltOnError, broDebugMessage});
        brin->LoadPaletteFromBMP(path);
        std::exit(3);
      },
      ::testing::ExitedWithCode(1), "不正なビットマップです\n$");
}

// --- the colour-depth check at start ---------------------------------------------

// The box is only in the child process that halts: it reports it on its way
// out, where the parent can read it.
platform::HeadlessBackend* gHalting = nullptr;
void ReportBoxes() {
  for (const auto& box : gHalting->MessageBoxes()) {
    const bool designed = box.text == "画面モードが不適切です。色数を 16 ビットに設定して、起動しなおしてください。" &&
                          box.buttons == platform::MessageBoxButtons::Ok && box.icon == platform::MessageBoxIcon::Warning;
    std::fprintf(stderr, designed ? "[designed box]\n" : "[other box]\n");
  }
}

using DepthCheckDeathTest = PresentTest;

TEST_F(DepthCheckDeathTest, AnotherDepthShowsTheWarningAndHalts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        gHalting = &backend;
        std::atexit(ReportBoxes);
        StartAt(32, [](TBrin* b) { b->InitialBitDepth = 16; });
        std::exit(3);
      },
      ::testing::ExitedWithCode(1), ": 画面モードが不適切です。[^\n]*\n\\[designed box\\]\n$");
}

TEST_F(PresentTest, NoDepthCheckWithDepthZeroTheSameDepthOrFullScreen) {
  StartAt(32, [](TBrin* b) { b->InitialBitDepth = 32; });
  delete app;
  app = nullptr;
  StartAt(32, [](TBrin* b) {
    b->InitialBitDepth = 16;
    b->InitializeFullScreen = true;
  });
  delete app;
  app = nullptr;
  StartAt(32, [](TBrin* b) {
    b->InitialBitDepth = 16;
    b->AutoDisplayModeInitialize = false;
  });
  EXPECT_THAT(backend.MessageBoxes(), IsEmpty());
}

}  // namespace
}  // namespace brin::testing
