// TBrin as a component on its form: the order of start-up, the fNeedChange
// cases, the paint hook, the window procedure, the surface list and
// destruction.
#include "tests/display/display_fixture.h"

#include "platform/window.h"
#include "surfaces/surface_keeper.h"

namespace brin::testing {
namespace {

using ::testing::ElementsAre;

TEST_F(DisplayTest, FormCreateRunsAfterTheDisplayAndBeforeOnInit) {
  TBrin* brin = Start();
  EXPECT_THAT(events, ElementsAre("FormCreate", "OnInit"));  // no OnChangeDisplayMode at start-up
  EXPECT_EQ(brin->ScreenWidth, 640);
  EXPECT_EQ(brin->ScreenHeight, 480);
  EXPECT_FALSE(brin->FullScreen);
  ASSERT_NE(brin->BackBuffer, nullptr);
  EXPECT_EQ(brin->BackBuffer->Width, 640);
  EXPECT_EQ(brin->ScreenBitDepth, 32);
  // Two initialisations: the provisional 128 x 128 one, then the real mode.
  EXPECT_TRUE(Logged("スクリーンモード128 x 128 x 32 として初期化を開始します"));
  EXPECT_TRUE(Logged("スクリーンモード640 x 480 x 0 として初期化を開始します"));
}

TEST_F(DisplayTest, WithoutAutomaticModeTheDisplayStaysProvisional) {
  TBrin* brin = Start([](TBrin* b) { b->AutoDisplayModeInitialize = false; });
  EXPECT_THAT(events, ElementsAre("FormCreate", "OnInit need"));
  EXPECT_EQ(brin->ScreenWidth, 128);
  EXPECT_EQ(brin->ScreenHeight, 128);
  EXPECT_FALSE(brin->FullScreen);
}

TEST_F(DisplayTest, UnlistedFullScreenModeAsksTheApplicationAndTriesNoSwitch) {
  TBrin* brin = Start([](TBrin* b) {
    b->InitializeFullScreen = true;
    b->InitialScreenWidth = 1000;
    b->InitialScreenHeight = 700;
  });
  EXPECT_THAT(events, ElementsAre("FormCreate", "OnInit need"));
  EXPECT_FALSE(Logged("フルスクリーンで初期化を開始します"));
  EXPECT_FALSE(backend.FullScreen());
  EXPECT_EQ(brin->BackBuffer->Width, 128);
}

TEST_F(DisplayTest, ListedFullScreenModeStartsInFullScreen) {
  TBrin* brin = Start([](TBrin* b) {
    b->InitializeFullScreen = true;
    b->InitialBitDepth = 8;
  });
  EXPECT_THAT(events, ElementsAre("FormCreate", "OnInit"));
  EXPECT_TRUE(brin->FullScreen);
  EXPECT_TRUE(backend.FullScreen());
  EXPECT_EQ(backend.ShownMode().bitsPerPixel, 8u);
  EXPECT_EQ(brin->ScreenBitDepth, 8);
}

TEST_F(DisplayTest, PaintOfTheActiveFormRestoresThenRaisesOnRestore) {
  Start();
  events.clear();
  Screen->SetActiveForm(form);
  form->OnPaint(form);
  EXPECT_THAT(events, ElementsAre("FormPaint", "OnRestore"));
}

TEST_F(DisplayTest, PaintOfAnInactiveFormDoesNothingAtAll) {
  Start();
  events.clear();
  Screen->SetActiveForm(nullptr);
  form->OnPaint(form);
  EXPECT_TRUE(events.empty());
}

TEST_F(DisplayTest, ModeSwitchAfterStartRaisesCleanUpThenChangeDisplayMode) {
  TBrin* brin = Start();
  events.clear();
  brin->ChangeToFullScreen(640, 480, 8, 0, "");
  EXPECT_THAT(events, ElementsAre("OnCleanUp", "OnChangeDisplayMode"));
  EXPECT_TRUE(brin->FullScreen);
  events.clear();
  brin->ChangeToWindow(640, 480);
  EXPECT_THAT(events, ElementsAre("OnCleanUp", "OnChangeDisplayMode"));
  EXPECT_FALSE(brin->FullScreen);
  // The window keeps the depth recorded at the last initialisation: the
  // desktop's again once the full-screen mode is left.
  EXPECT_EQ(brin->ScreenBitDepth, 32);
  EXPECT_TRUE(Logged("スクリーンモード640 x 480 x 8 として初期化を開始します"));
}

TEST_F(DisplayTest, WindowProcedureKeepsTheFullScreenWindowPinned) {
  TBrin* brin = Start();
  brin->ChangeToFullScreen(640, 480, 8, 0, "");
  HWND window = form->Handle();
  MINMAXINFO info{};
  ::SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMaxTrackSize.x, 640);
  EXPECT_EQ(info.ptMaxTrackSize.y, 480);
  EXPECT_EQ(info.ptMinTrackSize.x, 640);
  EXPECT_EQ(info.ptMaxPosition.x, 0);
  form->SetLeft(100);
  EXPECT_EQ(form->Left(), 0);
  events.clear();
  bool entered = false;
  brin->OnEnterMenuLoop = [&](TObject* sender) { entered = sender == brin; };
  ::SendMessageA(window, WM_ENTERMENULOOP, FALSE, 0);
  EXPECT_TRUE(entered);
  EXPECT_EQ(form->Width(), 640);
  EXPECT_EQ(form->Top(), 0);
}

TEST_F(DisplayTest, WindowedMovesAreLeftAlone) {
  TBrin* brin = Start();
  ASSERT_FALSE(brin->FullScreen);
  form->SetLeft(100);
  EXPECT_EQ(form->Left(), 100);
  bool exited = false;
  brin->OnExitMenuLoop = [&](TObject*) { exited = true; };
  ::SendMessageA(form->Handle(), WM_EXITMENULOOP, FALSE, 0);
  EXPECT_TRUE(exited);
}

TEST_F(DisplayTest, SurfaceListAddsMovesAndRemovesWithTheirIndices) {
  TBrin* brin = Start();
  NewLogLines();
  auto* a = new TBrinSurface(brin, 16, 16, 0);
  auto* b = new TBrinSurface(brin, 16, 16, 0);
  ASSERT_EQ(brin->SurfaceList().size(), 2u);
  brin->AddSurface(a);  // already listed: moves to the end
  ASSERT_EQ(brin->SurfaceList().size(), 2u);
  EXPECT_EQ(brin->SurfaceList()[1]->Surface, a);
  NewLogLines();
  delete b;
  EXPECT_THAT(NewLogLines(), ElementsAre("サーフェスリストの0番が解放されました"));
  // Removing clears the surface's reference to its DirectDraw surface
  // (the destructor has released it by then; here the test does).
  TBrinSurface unlisted(brin, 8, 8, 0);
  IDirectDrawSurface7* released = unlisted.DDSurface;
  brin->RemoveSurface(&unlisted);
  EXPECT_EQ(unlisted.DDSurface, nullptr);
  EXPECT_EQ(released->Release(), 0u);
  NewLogLines();
  brin->RemoveSurface(&unlisted);  // not listed any more: nothing, no line
  EXPECT_TRUE(NewLogLines().empty());
  delete a;
  EXPECT_TRUE(brin->SurfaceList().empty());
}

TEST_F(DisplayTest, ScreenSaverIsOffWhileTheComponentLivesAndRestoredAfter) {
  BOOL active = FALSE;
  ::SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);
  Start();
  ::SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
  EXPECT_FALSE(active);
  delete app;
  app = nullptr;
  ::SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
  EXPECT_TRUE(active);
}

TEST_F(DisplayTest, DestructionRaisesOnDestroyThenReleasesEverything) {
  TBrin* brin = Start();
  // The game never frees its sheets: the display releases their surfaces
  // and the sheets outlive it.
  TBrinSurface sheet(brin, 32, 32, 0);
  events.clear();
  delete app;
  app = nullptr;
  EXPECT_EQ(events.front(), "OnDestroy");
  EXPECT_EQ(sheet.DDSurface, nullptr);
  EXPECT_EQ(sheet.Owner, nullptr);
  EXPECT_TRUE(Logged("DirectDrawを解放しました"));
  EXPECT_FALSE(Logged("DirectDrawの解放に失敗しました"));
}

// Nothing leaves a destructor: a log that cannot be written is dropped and
// the handlers' exceptions go to the application, and everything is still
// released.
TEST_F(DisplayTest, TeardownGoesOnWithoutItsLogAndPastThrowingHandlers) {
  TBrin* brin = Start();
  std::vector<std::string> seen;
  app->OnException = [&](TObject*, const std::exception& e) { seen.push_back(e.what()); };
  brin->OnDestroy = [](TObject*) { throw Exception("OnDestroy"); };
  brin->OnCleanUp = [](TObject*) { throw Exception("OnCleanUp"); };
  auto sheet = std::make_unique<TBrinSurface>(brin, 32, 32, 0);
  // A reference kept elsewhere: both releases below are failures to log.
  IDirectDrawSurface7* kept = sheet->DDSurface;
  kept->AddRef();
  DisplayLogChannel().folder = (logDir / "gone").string();
  sheet.reset();
  delete app;
  app = nullptr;
  EXPECT_THAT(seen, ElementsAre("OnDestroy", "OnCleanUp"));
  EXPECT_EQ(kept->Release(), 0u);
  EXPECT_EQ(platform::LiveObjectCount(), baseObjects);
}

TEST_F(DisplayTest, DesignModeRefusesASecondComponent) {
  TForm designed(nullptr);
  designed.SetDesigning(true);
  TBrin first(&designed);
  try {
    TBrin second(&designed);
    FAIL() << "a second component was accepted";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Brinコンポーネントを、同一フォームに2つ以上貼る事はできません");
  }
  EXPECT_EQ(designed.ComponentCount(), 1);
}

TEST_F(DisplayTest, DriverListNamesEveryDriver) {
  platform::DriverInfo card;
  card.guid = GUID{0x12345678, 1, 2, {1, 2, 3, 4, 5, 6, 7, 8}};
  card.description = "Test 3D Card";
  card.name = "test3d";
  backend.AddDriver(card);
  TBrin* brin = Start();
  ASSERT_EQ(brin->DriverList.size(), 2u);
  EXPECT_EQ(brin->DriverList[1], "Test 3D Card (test3d)");
}

}  // namespace
}  // namespace brin::testing
