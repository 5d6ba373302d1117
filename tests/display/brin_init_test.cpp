// Building and tearing down the display: every failure message, the
// back-buffer retry, driver choice, the mode list, the palette, and the
// whole detail log of a run of mode switches.
#include "tests/display/display_fixture.h"

#include <memory>

#include "surfaces/surface_keeper.h"

namespace brin::testing {
namespace {

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

constexpr HRESULT kFault = static_cast<HRESULT>(0x88760BADu);

struct FailureCase {
  const char* call;
  platform::FaultMode mode;
  bool fullScreen;
  bool eightBitDesktop;
  const char* message;
};

class InitFailureTest : public DisplayTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(InitFailureTest, FailedCallIsLoggedWithItsCodeAndInitialisationGoesOn) {
  const FailureCase& c = GetParam();
  if (c.eightBitDesktop) backend.SetDesktopMode({1024, 768, 8, 60});
  TBrin* brin = Start();
  platform::InjectFault(c.call, kFault, c.mode);
  if (c.fullScreen)
    brin->ChangeToFullScreen(640, 480, 8, 0, "");
  else
    brin->ChangeToWindow(640, 480);
  platform::ClearFaults();
  EXPECT_TRUE(Logged(std::string(c.message) + "(Error Code(88760BAD))")) << c.call << "\n" << ::testing::PrintToString(LogLines());
  // Without the halt option the component carries on and can be switched again.
  brin->ChangeToWindow(640, 480);
  EXPECT_NE(brin->DDraw, nullptr);
  EXPECT_NE(brin->BackBuffer->DDSurface, nullptr);
}

using platform::FaultMode;
INSTANTIATE_TEST_SUITE_P(
    EveryMessage, InitFailureTest,
    ::testing::Values(
        FailureCase{"DirectDrawCreateEx", FaultMode::Once, false, false, "DirectDrawオブジェクトが作成できません"},
        FailureCase{"IDirectDraw7::SetCooperativeLevel", FaultMode::Once, false, false, "協調レベルの設定に失敗しました"},
        FailureCase{"IDirectDraw7::SetCooperativeLevel", FaultMode::Once, true, false, "協調レベルの設定に失敗しました"},
        FailureCase{"IDirectDraw7::SetDisplayMode", FaultMode::Once, true, false, "画面モード640x480x8の初期化に失敗しました"},
        FailureCase{"IDirectDraw7::CreateSurface", FaultMode::Once, false, false, "プライマリ・サーフェスの作成に失敗しました"},
        FailureCase{"IDirectDraw7::CreateSurface", FaultMode::Once, true, false, "プライマリ・サーフェスの作成に失敗しました"},
        FailureCase{"IDirectDraw7::CreateSurface", FaultMode::Always, false, false, "バックバッファの作成に失敗しました"},
        FailureCase{"IDirectDrawSurface7::GetAttachedSurface", FaultMode::Once, true, false, "バックバッファの作成に失敗しました"},
        FailureCase{"IDirectDraw7::CreateClipper", FaultMode::Once, false, false, "Clipperオブジェクトの作成に失敗しました"},
        FailureCase{"IDirectDrawClipper::SetHWnd", FaultMode::Once, false, false, "Clipperのフォームへの割り当てに失敗しました"},
        FailureCase{"IDirectDrawSurface7::SetClipper", FaultMode::Once, true, false, "Clipperのプライマリサーフェスへの割り当てに失敗しました"},
        FailureCase{"IDirectDraw7::CreatePalette", FaultMode::Once, true, false, "DirectDrawPaletteの作成に失敗しました"},
        FailureCase{"IDirectDraw7::CreatePalette", FaultMode::Once, false, true, "DirectDrawPaletteの作成に失敗しました"},
        FailureCase{"IDirectDrawSurface7::SetPalette", FaultMode::Always, true, false, "DirectDrawPaletteのFrontBufferへの割り当てに失敗しました"},
        FailureCase{"IDirectDrawSurface7::SetPalette", FaultMode::Always, false, true, "DirectDrawPaletteのBackBufferへの割り当てに失敗しました"}));

TEST_F(DisplayTest, ReleaseLeavingReferencesIsAFailure) {
  TBrin* brin = Start();
  brin->DDraw->AddRef();  // someone kept a reference
  IDirectDraw7* kept = brin->DDraw;
  brin->ChangeToWindow(640, 480);
  EXPECT_TRUE(Logged("DirectDrawの解放に失敗しました(Error Code(1))"));
  EXPECT_EQ(kept->Release(), 0u);
}

using DisplayDeathTest = DisplayTest;

TEST_F(DisplayDeathTest, HaltOptionEndsTheProgramAtTheFirstFailedCall) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        platform::InjectFault("IDirectDraw7::CreateClipper", kFault);
        Start([](TBrin* b) { b->SetDebugOption({broHaltOnError, broDebugMessage}); });
        std::exit(3);
      },
      ::testing::ExitedWithCode(1), ": Clipperオブジェクトの作成に失敗しました\\(Error Code\\(88760BAD\\)\\)\n$");
  const auto lines = LogLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "Clipperオブジェクトの作成に失敗しました(Error Code(88760BAD))");
}

// Only attaching the clipper needs the primary: without one the clipper is
// still made, given the window, and released with the display.
TEST_F(DisplayTest, WithoutAWindowedPrimaryOnlyTheClippersAttachmentIsSkipped) {
  TBrin* brin = Start();
  platform::InjectFault("IDirectDraw7::CreateSurface", kFault);  // the primary
  platform::InjectFault("IDirectDrawClipper::SetHWnd", kFault, platform::FaultMode::Always);
  platform::InjectFault("IDirectDrawSurface7::SetClipper", kFault, platform::FaultMode::Always);
  brin->ChangeToWindow(640, 480);
  EXPECT_EQ(brin->PrimarySurface->DDSurface, nullptr);
  EXPECT_EQ(platform::FaultHits("IDirectDrawClipper::SetHWnd"), 1);
  EXPECT_EQ(platform::FaultHits("IDirectDrawSurface7::SetClipper"), 0);
  platform::ClearFaults();
  NewLogLines();
  brin->ChangeToWindow(640, 480);
  EXPECT_THAT(NewLogLines(), ::testing::Contains("クリッパーを解放しました"));
}

TEST_F(DisplayTest, BackBufferWithoutVideoMemoryIsRetriedAtTheDriversDefault) {
  backend.SetVideoMemoryBytes(0);
  TBrin* brin = Start();
  EXPECT_TRUE(Logged("バックバッファをドライバのデフォルトの位置(おそらくビデオメモリ)に配置します"));
  ASSERT_NE(brin->BackBuffer->DDSurface, nullptr);
  DDSCAPS2 caps{};
  brin->BackBuffer->DDSurface->GetCaps(&caps);
  EXPECT_TRUE(caps.dwCaps & DDSCAPS_SYSTEMMEMORY);
}

TEST_F(DisplayTest, SystemMemoryBackBufferIsSaidSo) {
  Start([](TBrin* b) { b->BackBufferLocationAtWindowed = bmtSystemMemory; });
  EXPECT_TRUE(Logged("バックバッファをシステムメモリに配置します"));
  EXPECT_FALSE(Logged("ビデオメモリに配置します"));
}

TEST_F(DisplayTest, NamedDriverIsUsedWhenListedAndTheDefaultOtherwise) {
  platform::DriverInfo card;
  card.guid = GUID{0xCAFE, 1, 2, {1, 2, 3, 4, 5, 6, 7, 8}};
  card.description = "Second Card";
  card.name = "second";
  backend.AddDriver(card);
  TBrin* brin = Start();
  NewLogLines();
  brin->ChangeToFullScreen(640, 480, 8, 0, "Second Card (second)");
  auto lines = NewLogLines();
  EXPECT_THAT(lines, ::testing::Contains("指定されたドライバ Second Card (second) を使用します"));
  EXPECT_THAT(lines, ::testing::Contains(HasSubstr("Created DDraw Driver ... Second Card (second) ")));
  brin->ChangeToFullScreen(640, 480, 8, 0, "No Such Card (none)");
  lines = NewLogLines();
  EXPECT_THAT(lines, ::testing::Contains("指定されたドライバが見つからなかったので、デフォルトのドライバを使用します"));
  EXPECT_THAT(lines, ::testing::Contains("DirectDrawオブジェクトを作成しました"));
  EXPECT_TRUE(brin->FullScreen);
}

TEST_F(DisplayTest, ThreeDSearchAdoptsOnlyADriverWithThreeDCaps) {
  platform::DriverInfo flat;
  flat.guid = GUID{0x1, 1, 1, {1}};
  flat.description = "Flat";
  flat.name = "flat";
  platform::DriverInfo card = flat;
  card.guid = GUID{0x2, 2, 2, {2}};
  card.description = "Card";
  card.hardware3D = true;
  backend.AddDriver(flat);
  backend.AddDriver(card);
  TBrin* brin = Start([](TBrin* b) { b->Use3D = true; });
  NewLogLines();
  brin->ChangeToFullScreen(640, 480, 16, 0, "");
  const auto lines = NewLogLines();
  EXPECT_THAT(lines, ::testing::Contains("テスト用DirectDrawオブジェクトを解放しました"));
  EXPECT_THAT(lines, ::testing::Contains("テスト作成されたDirectDrawオブジェクトを採用します"));
  EXPECT_TRUE(brin->HardwareD3D());
}

TEST_F(DisplayTest, ModeAvailabilityLooksAtTheFirst256ModesOnly) {
  std::vector<platform::DisplayMode> modes;
  for (DWORD i = 0; i < 300; ++i) modes.push_back({320 + i, 200, 16, 60});
  modes[10] = {640, 480, 16, 60};
  modes[270] = {800, 600, 32, 75};
  backend.SetDisplayModes(modes);
  TBrin* brin = Start();
  EXPECT_TRUE(brin->IsDisplayModeAvailable(640, 480, 16, 60));
  EXPECT_TRUE(brin->IsDisplayModeAvailable(640, 480, 0, 0));  // 0 matches anything
  EXPECT_FALSE(brin->IsDisplayModeAvailable(640, 480, 32, 0));
  EXPECT_FALSE(brin->IsDisplayModeAvailable(800, 600, 32, 75));  // listed 271st
  EXPECT_TRUE(brin->IsDisplayModeAvailable(575, 0, 0, 0));        // the 256th
  EXPECT_FALSE(brin->IsDisplayModeAvailable(576, 0, 0, 0));       // the 257th
}

TEST_F(DisplayTest, PaletteExistsOnEightBitDisplaysOnly) {
  TBrin* brin = Start();
  IDirectDrawPalette* palette = nullptr;
  EXPECT_EQ(brin->PrimarySurface->DDSurface->GetPalette(&palette), DDERR_NOPALETTEATTACHED);
  brin->ChangeToFullScreen(640, 480, 8, 0, "");
  for (TBrinGenSurface* buffer : {brin->PrimarySurface, brin->BackBuffer}) {
    ASSERT_EQ(buffer->DDSurface->GetPalette(&palette), DD_OK);
    palette->Release();
  }
  for (const auto& entry : brin->PaletteEntries) EXPECT_EQ(entry.peFlags, PC_NOCOLLAPSE);
  brin->ChangeToWindow(640, 480);
  EXPECT_EQ(brin->PrimarySurface->DDSurface->GetPalette(&palette), DDERR_NOPALETTEATTACHED);
}

// The detail log of a full run: full screen, window, full screen, window,
// with three listed surfaces, then the teardown; line by line.
TEST_F(DisplayTest, DetailLogOfModeSwitchesWithThreeSurfacesLineByLine) {
  TBrin* brin = Start();
  DDCAPS caps{};
  caps.dwSize = sizeof caps;
  DDCAPS emulation = caps;
  brin->DDraw->GetCaps(&caps, &emulation);
  const std::string capsLine = Format("Caps:%016X", caps.dwCaps);
  const std::string format32 = "PixelFormat: AMask=00000000 RMask=00ff0000 GMask=0000ff00 BMask=000000ff";
  const std::string format8 = "PixelFormat: AMask=00000000 RMask=00000000 GMask=00000000 BMask=00000000";
  std::vector<std::unique_ptr<TBrinSurface>> sheets;
  for (int i = 0; i < 3; ++i) sheets.push_back(std::make_unique<TBrinSurface>(brin, 64, 64, 0));
  NewLogLines();

  auto release = [&](bool fullScreen) {
    std::vector<std::string> l = {"…DirectDraw/3D関連オブジェクトを全て解放します…"};
    for (int i = 0; i < 3; ++i) l.push_back(Format("DirectDrawオブジェクトの解放に伴い、%d番のサーフェスを解放します", i));
    l.push_back("オフスクリーンサーフェスを全て解放しました");
    if (fullScreen) l.push_back("パレットを解放しました");
    l.insert(l.end(), {"クリッパーを解放しました", "バックバッファを解放しました", "プライマリサーフェスを解放しました",
                       "DirectDrawを解放しました", "…DirectDraw/3D関連オブジェクト、解放終了しました…"});
    return l;
  };
  auto rebuild = [&](const std::string& format) {
    std::vector<std::string> l;
    for (int i = 0; i < 3; ++i) {
      l.push_back(Format("%d番のサーフェスを再構築します", i));
      l.push_back(format);
    }
    return l;
  };
  auto toFullScreen = [&](bool fromFullScreen) {
    std::vector<std::string> l = {"スクリーンモード640 x 480 x 8 として初期化を開始します"};
    auto r = release(fromFullScreen);
    l.insert(l.end(), r.begin(), r.end());
    l.insert(l.end(), {"フルスクリーンで初期化を開始します", "デフォルトのドライバを使用します",
                       "DirectDrawオブジェクトを作成しました", capsLine, format8, format8});
    auto b = rebuild(format8);
    l.insert(l.end(), b.begin(), b.end());
    return l;
  };
  auto toWindow = [&](bool fromFullScreen) {
    std::vector<std::string> l = {"スクリーンモード640 x 480 x 8 として初期化を開始します"};
    auto r = release(fromFullScreen);
    l.insert(l.end(), r.begin(), r.end());
    l.insert(l.end(), {"ウィンドウモードで初期化を開始します", "DirectDrawオブジェクトを作成しました", capsLine,
                       "バックバッファをビデオメモリに配置します", format32, format32});
    auto b = rebuild(format32);
    l.insert(l.end(), b.begin(), b.end());
    return l;
  };

  std::vector<std::string> expected;
  for (int round = 0; round < 2; ++round) {
    auto f = toFullScreen(false);
    auto w = toWindow(true);
    expected.insert(expected.end(), f.begin(), f.end());
    expected.insert(expected.end(), w.begin(), w.end());
    brin->ChangeToFullScreen(640, 480, 8, 0, "");
    // ChangeToWindow keeps the depth of the last initialisation: 8.
    brin->ChangeToWindow(640, 480);
  }
  EXPECT_THAT(NewLogLines(), ElementsAreArray(expected));

  delete app;  // the surfaces stay (the game never frees its sheets); their DirectDraw surfaces go
  app = nullptr;
  auto teardown = release(false);
  EXPECT_THAT(NewLogLines(), ElementsAreArray(teardown));
  EXPECT_EQ(platform::LiveObjectCount(), baseObjects);
}

}  // namespace
}  // namespace brin::testing
