// The whole game: the real main form with its display, input and sound
// components on the headless back end, driven by queued key and menu events
// as a player would drive it, frame by frame through the application's
// message loop.
//
// Each test runs in a folder of its own holding the sheets and waves that
// the game opens by bare name; cg1.bmp comes from the test program's folder
// as the game's first sheet comes from its program's folder.
//
// The title's first frame is compared with data/title.png. After a change
// to the title's look, regenerate it with
//   ZORNACK_UPDATE_REFERENCES=1 <build>/tests/game/scenes/game_form_tests --gtest_filter='*Reference*'
// and look at the new picture before committing it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "display/debug_log.h"
#include "game/main_form.h"
#include "game/replay.h"
#include "game/replay_recorder.h"
#include "input/brin_input_log.h"
#include "platform/backend/headless/headless_backend.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/vk.h"
#include "platform/window.h"
#include "sound/brin_sound_log.h"
#include "surfaces/brin_sprite.h"
#include "tests/game/scenes/reference_image.h"
#include "tests/support/allocation_count.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kBlack = 0x000000;

class WholeGameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    exeDir = fs::canonical("/proc/self/exe").parent_path();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = fs::temp_directory_path() /
          ("zornack_" + std::string(info->name()) + "_" + std::to_string(static_cast<long>(getpid())));
    fs::remove_all(dir);
    fs::create_directories(dir);
    previousDir = fs::current_path();
    fs::current_path(dir);
    brin::DisplayLogChannel().Reset();
    brin::input::ResetLog();
    brin::sound::ResetLog();
    // The frame pace spins on the tick counter: let each read move the
    // virtual clock on by a millisecond.
    backend.SetClockStepPerRead(1000);
    backend.SetFrameHistory(4);
    platform::Install(&backend);
  }

  void TearDown() override {
    delete app;
    app = nullptr;
    platform::Install(nullptr);
    fs::current_path(previousDir);
    fs::remove_all(dir);
  }

  // Start-up as the program does it; the form is shown as Run shows it.
  void Start(TZornackSettings settings = {}) {
    app = new TApplication();
    app->Initialize();
    app->CreateForm(Form1, std::move(settings));
    form = Form1;
    form->Show();
  }
  // Runs the message loop for FRAMES idle calls (one frame each); fewer when
  // the game ended.
  int Run(int frames) { return app->RunFor(frames); }
  // Destroys the form the way the end of Run does.
  void Quit() {
    delete app;
    app = nullptr;
    form = nullptr;
  }
  // A key held down for two frames, then let go.
  void Press(std::uint16_t virtualKey, std::uint16_t scanCode) {
    backend.QueueKeyPress(virtualKey, scanCode, 0, 2);
    Run(4);
  }
  TGame& Game() { return form->Game; }
  const platform::HeadlessBackend::Frame& Shown() { return backend.LastFrame(); }
  std::vector<std::string> RankingLines() { return platform::ReadTextLines((dir / "ranking.txt").string()); }
  // Pixels of the last frame in a rectangle that are not black.
  int Lit(std::uint32_t left, std::uint32_t top, std::uint32_t width, std::uint32_t height) {
    int lit = 0;
    for (std::uint32_t y = top; y < top + height; ++y) {
      for (std::uint32_t x = left; x < left + width; ++x) lit += Shown().At(x, y) != kBlack;
    }
    return lit;
  }

  platform::HeadlessBackend backend;
  TApplication* app = nullptr;
  TForm1* form = nullptr;
  fs::path exeDir;
  fs::path dir;
  fs::path previousDir;
};

TEST_F(WholeGameTest, StartsWithTheFormAsStoredAndTheTitle) {
  Start();
  EXPECT_EQ(form->Caption(), "Zornack");
  EXPECT_EQ(form->Width(), 648);
  EXPECT_EQ(form->Height(), 526);
  EXPECT_EQ(form->ClientWidth(), 640);
  EXPECT_EQ(form->ClientHeight(), 480);
  EXPECT_FALSE(form->BorderIcons().Contains(biMaximize));
  EXPECT_EQ(backend.Window().caption, "Zornack");
  const platform::MenuDesc& menu = backend.Menu();
  ASSERT_EQ(menu.tops.size(), 1u);
  EXPECT_EQ(menu.tops[0].caption, "画面モード(&S)");
  ASSERT_EQ(menu.tops[0].items.size(), 2u);
  EXPECT_EQ(menu.tops[0].items[0].caption, "ウィンドウ内(&W)");
  EXPECT_EQ(menu.tops[0].items[0].role, platform::MenuRole::WindowMode);
  EXPECT_EQ(menu.tops[0].items[1].caption, "フルスクリーン(&F)");
  EXPECT_EQ(menu.tops[0].items[1].role, platform::MenuRole::FullScreenMode);
  EXPECT_FALSE(backend.CursorVisible());
  EXPECT_FALSE(backend.ScreenSaverEnabled());
  EXPECT_EQ(form->DataDir, exeDir.string() + "/");
  EXPECT_EQ(form->BrinSound1->ChannelCount, 50u);
  EXPECT_FALSE(form->Brin1->FullScreen);
  EXPECT_EQ(form->Brin1->ScreenWidth, 640);
  EXPECT_EQ(form->Brin1->BackColor, 0u);  // black on the 32-bit desktop
  // The ranking file did not exist: it was made with the defaults.
  const auto lines = RankingLines();
  ASSERT_EQ(lines.size(), 60u);
  EXPECT_EQ(lines[0], "1000000");
  EXPECT_EQ(lines[59], "10");
  EXPECT_EQ(Game().Ranking[10], 10000);

  const auto presented = backend.FramesPresented();
  EXPECT_EQ(Run(1), 1);
  EXPECT_EQ(backend.FramesPresented(), presented + 1);
  EXPECT_EQ(Game().Scene, kSceneTitle);
  EXPECT_EQ(Game().FrameCount, 1);
  EXPECT_EQ(Shown().width, 640u);
  EXPECT_EQ(Shown().height, 480u);
  // The logo, the menu and the cursor are drawn; the sides stay black.
  EXPECT_GT(Lit(192, 80, 256, 96), 2000);
  EXPECT_GT(Lit(256, 300, 144, 16), 100);
  EXPECT_GT(Lit(240, 300, 16, 16), 20);
  EXPECT_EQ(Lit(0, 200, 150, 80), 0);
}

TEST_F(WholeGameTest, TitleFrameMatchesItsReference) {
  Start();
  Run(1);
  game_test::TImage actual;
  actual.Width = Shown().width;
  actual.Height = Shown().height;
  actual.Pixels = Shown().pixels;
  const std::string reference = std::string(ZORNACK_REFERENCE_DIR) + "/title.png";
  std::string error;
  if (const char* update = std::getenv("ZORNACK_UPDATE_REFERENCES"); update && *update == '1') {
    ASSERT_TRUE(game_test::WritePng(reference, actual, error)) << error;
    GTEST_SKIP() << "wrote " << reference;
  }
  game_test::TImage expected;
  ASSERT_TRUE(game_test::ReadPng(reference, expected, error)) << reference << ": " << error;
  ASSERT_EQ(expected.Width, actual.Width);
  ASSERT_EQ(expected.Height, actual.Height);
  const auto difference = game_test::Compare(expected, actual);
  EXPECT_EQ(difference.Count, 0u) << "first at (" << difference.FirstX << ", " << difference.FirstY << "): expected "
                                  << std::hex << difference.Expected << ", drawn " << difference.Actual;
}

TEST_F(WholeGameTest, KeysPlayAGameAndEscapeLeavesIt) {
  Start();
  Run(2);
  Press(VK_DOWN, DIK_DOWN);
  EXPECT_EQ(Game().MenuRow, 1);
  Press(VK_UP, DIK_UP);
  EXPECT_EQ(Game().MenuRow, 0);
  Press('Z', DIK_Z);
  ASSERT_EQ(Game().Scene, kSceneBombSelect);
  // The demonstration runs: blocks fall and the resting ship shoots.
  Run(20);
  EXPECT_GT(Game().CountActive(TGame::kFirstBlock, TGame::kLastBlock), 20);
  EXPECT_GT(Game().CountActive(TGame::kFirstShot, TGame::kLastShot), 0);
  Press(VK_DOWN, DIK_DOWN);
  EXPECT_EQ(Game().MenuRow, 1);
  Press(VK_SPACE, DIK_SPACE);
  ASSERT_EQ(Game().Scene, kScenePlay);
  EXPECT_EQ(Game().BombKind, 1);
  EXPECT_EQ(Game().StageNumber, 1);
  // Fly left, firing, for a while.
  backend.QueueKeyDown(VK_LEFT, DIK_LEFT);
  backend.QueueKeyDown('Z', DIK_Z);
  Run(30);
  backend.QueueKeyUp(VK_LEFT, DIK_LEFT);
  backend.QueueKeyUp('Z', DIK_Z);
  Run(2);
  EXPECT_LT(Game().Sprite(TGame::kPlayerSlot).X, 312 - 100);
  EXPECT_GT(Game().Score, 0);
  // Stage 1's rows of small blocks and the status display are on screen.
  EXPECT_GT(Lit(124, 30, 392, 24), 200);
  EXPECT_GT(Lit(0, 0, 16, 32), 20);

  const auto ranking = Game().Ranking;
  Press(VK_ESCAPE, DIK_ESCAPE);
  EXPECT_EQ(Game().Scene, kSceneTitle);
  EXPECT_EQ(Game().PrevScene, kSceneTitle);
  EXPECT_EQ(Game().CountActive(TGame::kFirstBlock, TGame::kLastBlock), 0);
  EXPECT_EQ(Game().Ranking, ranking);
  EXPECT_GT(Lit(192, 80, 256, 96), 2000);

  // Escape on the title ends the program; the ranking is saved as it ends.
  Game().Ranking[59] = 12345;
  backend.QueueKeyPress(VK_ESCAPE, DIK_ESCAPE, 0, 1);
  EXPECT_LT(Run(10), 10);
  EXPECT_TRUE(app->Terminated());
  EXPECT_EQ(RankingLines().at(59), "10");
  Quit();
  const auto lines = RankingLines();
  ASSERT_EQ(lines.size(), 60u);
  EXPECT_EQ(lines[59], "12345");
}

// The game's sounds reach the audio output: a menu move plays its click on
// channel 12; in play, a destroyed block plays its explosion on channel 0.
TEST_F(WholeGameTest, MenuClicksAndExplosionsAreHeard) {
  const auto playing = [this](int channel) {
    DWORD status = 0;
    IDirectSoundBuffer* buffer = form->BrinSound1->Channels(channel)->Buffer;
    return buffer && buffer->GetStatus(&status) == DS_OK && (status & DSBSTATUS_PLAYING) != 0;
  };
  const auto heard = [this](std::size_t from) {
    const auto& audio = backend.CapturedAudio();
    int loud = 0;
    for (std::size_t i = from; i < audio.size(); ++i) loud += audio[i] != 0;
    return loud;
  };
  Start();
  Run(2);
  ASSERT_TRUE(backend.AudioOpen());
  backend.PullAudio(2048);
  EXPECT_EQ(heard(0), 0);
  EXPECT_FALSE(playing(12));

  const std::size_t beforeClick = backend.CapturedAudio().size();
  Press(VK_DOWN, DIK_DOWN);
  EXPECT_TRUE(playing(12));
  backend.PullAudio(2048);
  EXPECT_GT(heard(beforeClick), 100);

  // Into play (GAMESTART, then the first bomb), firing until a block falls.
  Press(VK_UP, DIK_UP);
  Press('Z', DIK_Z);
  Press('Z', DIK_Z);
  ASSERT_EQ(Game().Scene, kScenePlay);
  EXPECT_FALSE(playing(0));
  backend.QueueKeyDown('Z', DIK_Z);
  int frames = 0;
  while (Game().ComboHits == 0 && frames < 200) frames += Run(1);
  ASSERT_GT(Game().ComboHits, 0);
  Run(1);
  EXPECT_TRUE(playing(0));
  const std::size_t beforeExplosion = backend.CapturedAudio().size();
  backend.PullAudio(2048);
  EXPECT_GT(heard(beforeExplosion), 100);
}

// Sounds that cannot be loaded and a ranking that cannot be saved are told to
// the player, and the game plays on.
TEST_F(WholeGameTest, FilesThatFailAreWarningsAndTheGamePlaysOn) {
  const fs::path data = dir / "data";
  fs::create_directories(data);
  for (const char* name : {"cg1.bmp", "cg2.bmp", "cg3.bmp", "bom02.wav", "bom04.wav", "click06.wav"}) {
    fs::copy_file(exeDir / name, data / name);
  }
  std::ofstream(data / "click05.wav", std::ios::binary) << "RIFF";  // cut short
  std::vector<std::string> warnings;
  TZornackSettings settings;
  settings.DataFolder = data.string() + "/";
  settings.Warn = [&](const std::string& line) { warnings.push_back(line); };
  Start(std::move(settings));
  const std::string from = " could not be loaded from " + data.string() + "/ (";
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_EQ(warnings[0].rfind("the sound bom03.wav" + from + data.string() + "/bom03.wavが、見つかりません)", 0), 0u)
      << warnings[0];
  EXPECT_EQ(warnings[1].rfind("the sound click05.wav" + from, 0), 0u) << warnings[1];
  Press(VK_DOWN, DIK_DOWN);  // the silent menu sound
  EXPECT_EQ(form->BrinSound1->Channels(12)->Buffer, nullptr);
  EXPECT_EQ(Game().Scene, kSceneTitle);

  fs::remove_all(dir);  // the current folder: nowhere to save
  Quit();
  ASSERT_EQ(warnings.size(), 3u);
  EXPECT_EQ(warnings[2].rfind("the ranking could not be saved in ", 0), 0u) << warnings[2];
}

// The results of a game reach the file when the game ends, before the
// program does: a halt later on cannot lose them.
TEST_F(WholeGameTest, GameResultsAreSavedWhenTheGameEnds) {
  Start();
  Run(2);
  Press('Z', DIK_Z);
  Press('Z', DIK_Z);
  ASSERT_EQ(Game().Scene, kScenePlay);
  Game().Score = 5000000;
  Game().LivesLeft = -1;
  Run(110);
  ASSERT_EQ(Game().Scene, kSceneTitle);
  EXPECT_FALSE(Game().RankingChanged);
  const auto lines = RankingLines();
  ASSERT_EQ(lines.size(), 60u);
  // The score still moves while the game-over phase runs; what entered is
  // the score at its end.
  EXPECT_GE(Game().Score, 5000000);
  EXPECT_EQ(lines[0], std::to_string(Game().Score));
  EXPECT_EQ(lines[1], "1000000");
  // A game that enters nothing writes nothing.
  fs::remove(dir / "ranking.txt");
  Press('Z', DIK_Z);
  Press('Z', DIK_Z);
  ASSERT_EQ(Game().Scene, kScenePlay);
  Game().LivesLeft = -1;
  Run(110);
  ASSERT_EQ(Game().Scene, kSceneTitle);
  EXPECT_FALSE(fs::exists(dir / "ranking.txt"));
}

TEST_F(WholeGameTest, ExitOnTheMenuAndClosingTheWindowEndTheProgram) {
  Start();
  Run(1);
  Press(VK_UP, DIK_UP);
  Press('Z', DIK_Z);
  EXPECT_TRUE(app->Terminated());
  Quit();

  fs::remove(dir / "ranking.txt");
  Start();
  Run(3);
  backend.QueueSimple(platform::EventType::Close);
  EXPECT_LT(Run(5), 5);
  EXPECT_TRUE(app->Terminated());
  Quit();
  EXPECT_EQ(RankingLines().size(), 60u);
}

TEST_F(WholeGameTest, ExistingRankingIsReadAtStart) {
  {
    std::ofstream file(dir / "ranking.txt", std::ios::binary);
    for (int i = 0; i < 60; ++i) file << (i == 0 ? 4242424242LL : 60 - i) << "\r\n";
  }
  Start();
  EXPECT_EQ(Game().Ranking[0], 4242424242LL);
  EXPECT_EQ(Game().Ranking[59], 1);
  Press(VK_DOWN, DIK_DOWN);
  Press('Z', DIK_Z);
  ASSERT_EQ(Game().Scene, kSceneRanking);
  // "4242424242 PTS" on the first line of the table.
  EXPECT_GT(Lit(250, 90, 16 * 14, 16), 100);
}

TEST_F(WholeGameTest, ScreenModeSwitchesKeepTheClientArea) {
  Start();
  Run(2);
  const std::uint32_t key = form->Sheet1->ColorKey;
  backend.QueueMenuChoice(form->F1->Command());
  Run(3);
  EXPECT_TRUE(form->Brin1->FullScreen);
  EXPECT_TRUE(backend.FullScreen());
  EXPECT_EQ(form->Brin1->ScreenBitDepth, 8);
  EXPECT_EQ(backend.ShownMode().bitsPerPixel, 8u);
  EXPECT_EQ(Shown().width, 640u);
  EXPECT_EQ(Shown().height, 480u);
  EXPECT_GT(Lit(192, 80, 256, 96), 2000);
  EXPECT_EQ(Lit(0, 200, 150, 80), 0);  // black is black with the 8-bit palette too
  // The first sheet was keyed again in the new pixel format (a palette index).
  EXPECT_LT(form->Sheet1->ColorKey, 256u);

  backend.QueueMenuChoice(form->W1->Command());
  Run(3);
  EXPECT_FALSE(form->Brin1->FullScreen);
  EXPECT_FALSE(backend.FullScreen());
  EXPECT_EQ(form->ClientWidth(), 640);
  EXPECT_EQ(form->ClientHeight(), 480);
  const RECT client = backend.Window().client;
  EXPECT_EQ(client.right - client.left, 640);
  EXPECT_EQ(client.bottom - client.top, 480);
  EXPECT_EQ(form->Sheet1->ColorKey, key);
  EXPECT_GT(Lit(192, 80, 256, 96), 2000);
  EXPECT_EQ(Game().Scene, kSceneTitle);
}

TEST_F(WholeGameTest, FramesArePacedAtTwentyMilliseconds) {
  Start();
  Run(1);
  // Each frame's wait ends 20 ms after the last one's (the clock moves a
  // millisecond per read, so it may see 21).
  const std::uint64_t first = backend.LastFrame().timeUs;
  for (int i = 0; i < 10; ++i) {
    const std::uint32_t before = form->LastTick;
    Run(1);
    EXPECT_GE(form->LastTick - before, 20u) << i;
    EXPECT_LE(form->LastTick - before, 21u) << i;
  }
  // Presents come at vertical blanks (60 Hz here), so single gaps vary;
  // over ten frames they average 20 ms.
  const std::uint64_t average = (backend.LastFrame().timeUs - first) / 10;
  EXPECT_GE(average, 18500u);
  EXPECT_LE(average, 21500u);
}

TEST_F(WholeGameTest, FrameWaitCountsAcrossTheTickCounterWrap) {
  Start();
  // Put the clock 5 ms before the 32-bit millisecond counter wraps.
  const std::uint64_t wrapUs = (std::uint64_t{1} << 32) * 1000;
  backend.AdvanceClock(wrapUs - 5000 - platform::NowMicroseconds());
  form->LastTick = GetTickCount();
  ASSERT_GT(form->LastTick, 0xFFFFFFF0u);
  form->FrameWait(20);
  // Done 20 ms later, just past the wrap; not 49 days later.
  EXPECT_GE(form->LastTick, 14u);
  EXPECT_LT(form->LastTick, 20u);
  EXPECT_LT(platform::NowMicroseconds() - (wrapUs - 5000), 25000u);
  // An interval already over returns at once.
  const std::uint32_t before = GetTickCount();
  form->FrameWait(0);
  EXPECT_LE(form->LastTick - before, 2u);
}

// The sleeping wait starts every frame on the tick the busy loop starts it
// on, whatever the frame's work took (a frame that overran starts at once),
// and reads the clock a few times instead of thousands.
TEST_F(WholeGameTest, SleepingWaitStartsFramesOnTheBusyLoopsTicks) {
  Start();
  Run(1);
  backend.SetClockStepPerRead(5);
  // Microseconds of work before each wait: none, typical, at and past the
  // interval, and at every phase of the millisecond.
  std::vector<std::uint64_t> work = {0, 300, 19'999, 20'000, 20'001, 45'250, 999, 1'000, 1'001};
  for (std::uint64_t w = 137; work.size() < 60; w = (w * 7919 + 13) % 23'000) work.push_back(w);
  const auto starts = [&](bool busy) {
    form->BusyWait = busy;
    backend.AdvanceClock(1'000'000 - platform::NowMicroseconds() % 1'000'000 + 400);
    form->LastTick = GetTickCount();
    const std::uint32_t first = form->LastTick;
    const std::uint64_t reads = backend.ClockReads();
    std::vector<std::uint32_t> ticks;
    for (std::uint64_t w : work) {
      backend.AdvanceClock(w);
      form->FrameWait(20);
      ticks.push_back(form->LastTick - first);
    }
    return std::pair{ticks, backend.ClockReads() - reads};
  };
  const auto [busyTicks, busyReads] = starts(true);
  const auto [sleepingTicks, sleepingReads] = starts(false);
  EXPECT_EQ(sleepingTicks, busyTicks);
  EXPECT_GT(busyReads, 1000 * work.size());
  EXPECT_LT(sleepingReads * 10, busyReads);
}

TEST_F(WholeGameTest, FramesAllocateNothing) {
  Start();
  Run(5);
  // A whole game's worth of input, queued before counting: start, choose,
  // fly and fire through stage changes, shoot blocks apart, Escape.
  backend.QueueKeyPress('Z', DIK_Z, 5, 2);
  backend.QueueKeyPress(VK_DOWN, DIK_DOWN, 40, 2);
  backend.QueueKeyPress('Z', DIK_Z, 60, 2);
  backend.QueueKeyDown('Z', DIK_Z, 80);
  backend.QueueKeyPress(VK_LEFT, DIK_LEFT, 90, 20);
  backend.QueueKeyPress('C', DIK_C, 150, 2);
  backend.QueueKeyPress('X', DIK_X, 200, 2);
  backend.QueueKeyUp('Z', DIK_Z, 400);
  backend.QueueKeyPress(VK_ESCAPE, DIK_ESCAPE, 420, 2);
  const long before = AllocationCount();
  EXPECT_EQ(Run(450), 450);
  EXPECT_EQ(AllocationCount() - before, 0);
  // The frames did what was asked of them.
  EXPECT_EQ(Game().Scene, kSceneTitle);
  EXPECT_GT(Game().Score, 0);
  EXPECT_EQ(Game().BombsLeft, 2);
  EXPECT_TRUE(Game().LaserMode);
  // The game that ended was recorded and written within those frames.
  EXPECT_EQ(form->Recorder.Keeper.Names().size(), 1u);
}

// Three games of one session, each recorded by the form: the first left
// with Escape, the third entered after the demonstrations of other bombs
// and played to its end. Each replay reproduces its game; the third, frame
// by frame as the trace shows it.
TEST_F(WholeGameTest, RecordedGamesReplayExactly) {
  auto liveTrace = std::make_unique<TReplayTrace>((dir / "live.trace").string());
  Start();
  form->Recorder.Trace = liveTrace.get();
  Run(2);
  const auto hold = [this](std::uint16_t vk, std::uint16_t dik, int frames) {
    backend.QueueKeyDown(vk, dik);
    Run(frames);
    backend.QueueKeyUp(vk, dik);
  };
  // The second area, a bomb after two other bombs' demonstrations; fire
  // and bomb, then Escape mid-game.
  Press(VK_RIGHT, DIK_RIGHT);
  Press('Z', DIK_Z);
  Run(50);
  Press(VK_DOWN, DIK_DOWN);
  Run(50);
  Press(VK_DOWN, DIK_DOWN);
  Press('Z', DIK_Z);
  ASSERT_EQ(Game().Scene, kScenePlay);
  backend.QueueKeyDown('Z', DIK_Z);
  hold(VK_LEFT, DIK_LEFT, 40);
  Press('C', DIK_C);
  Run(40);
  backend.QueueKeyUp('Z', DIK_Z);
  Press(VK_ESCAPE, DIK_ESCAPE);
  ASSERT_EQ(Game().Scene, kSceneTitle);
  // The first area, the laser; the bomb button goes down before Escape and
  // stays down into the next game, where it must not act again.
  Press('Z', DIK_Z);
  Press(VK_UP, DIK_UP);
  Press('Z', DIK_Z);
  Press('X', DIK_X);
  hold('Z', DIK_Z, 60);
  backend.QueueKeyDown('C', DIK_C);
  Run(5);
  Press(VK_ESCAPE, DIK_ESCAPE);
  // The third game: after four demonstrations, ALL DAMAGE, confirmed with
  // the laser button already down (its first frame reads the confirm
  // frame's poll); the ship flies into the blocks until its lives are gone.
  Press('Z', DIK_Z);
  for (int i = 0; i < 4; ++i) {
    Run(40);
    Press(VK_DOWN, DIK_DOWN);
  }
  backend.QueueKeyDown('X', DIK_X);
  Run(3);
  Press('Z', DIK_Z);
  ASSERT_EQ(Game().BombKind, 4);
  backend.QueueKeyUp('X', DIK_X);
  backend.QueueKeyUp('C', DIK_C);
  EXPECT_EQ(Game().BombsLeft, 3);
  EXPECT_TRUE(Game().LaserMode);
  hold(VK_UP, DIK_UP, 76);
  for (int frames = 0; Game().Scene == kScenePlay && frames < 3000; frames += 100) {
    hold(frames % 200 == 0 ? VK_LEFT : VK_RIGHT, frames % 200 == 0 ? DIK_LEFT : DIK_RIGHT, 100);
  }
  ASSERT_EQ(Game().Scene, kSceneTitle);
  const TReplayResults live = ResultsOf(Game());
  Quit();
  liveTrace.reset();

  TReplayKeeper keeper((dir / "replays").string());
  keeper.Scan();
  ASSERT_EQ(keeper.Names().size(), 3u);
  std::set<std::pair<std::int32_t, TReplayEnd>> games;
  for (const std::string& name : keeper.Names()) {
    TReplay replay;
    std::string reason;
    ASSERT_TRUE(LoadReplayFile((dir / "replays" / name).string(), replay, reason)) << name << ": " << reason;
    games.emplace(replay.Area, replay.End);
    const bool third = replay.End == TReplayEnd::GameOver;
    auto trace = third ? std::make_unique<TReplayTrace>((dir / "replayed.trace").string()) : nullptr;
    TReplayResults replayed;
    ASSERT_TRUE(VerifyReplay(replay, replayed, reason, trace.get())) << reason;
    EXPECT_EQ(replayed, replay.Results) << name;
    if (third) {
      EXPECT_EQ(replay.Results, live);
    }
  }
  EXPECT_EQ(games, (std::set<std::pair<std::int32_t, TReplayEnd>>{
                       {1, TReplayEnd::Escape}, {1, TReplayEnd::GameOver}, {2, TReplayEnd::Escape}}));
  // The third game's frames, as played and as replayed.
  const auto lines = [](const fs::path& path, int section) {
    std::vector<std::string> kept;
    int sections = 0;
    for (const std::string& line : platform::ReadTextLines(path.string())) {
      if (line == "# game") ++sections;
      if (line[0] != '#' && sections == section) kept.push_back(line);
    }
    return kept;
  };
  const auto played = lines(dir / "live.trace", 3);
  EXPECT_GT(played.size(), 1000u);
  EXPECT_EQ(played, lines(dir / "replayed.trace", 0));
}

// Full screen loses its surfaces with the focus. When the focus comes back
// without anything covering the window (no expose), the game's frames must
// reach the screen again, and the restored memory's test pattern never.
TEST_F(WholeGameTest, FullScreenShowsTheGameAgainWhenTheFocusReturns) {
  Start();
  Run(1);
  backend.QueueMenuChoice(form->F1->Command());
  Run(3);
  ASSERT_TRUE(backend.FullScreen());
  backend.SetFrameHistory(16);
  backend.QueueSimple(platform::EventType::FocusLost);
  Run(5);
  const std::uint64_t before = backend.FramesPresented();
  backend.QueueSimple(platform::EventType::FocusGained);
  Run(3);
  EXPECT_GE(backend.FramesPresented(), before + 3);
  EXPECT_GT(Lit(192, 80, 256, 96), 2000);
  for (const auto& frame : backend.Frames()) {
    if (frame.number <= before) continue;
    const bool black = std::all_of(frame.pixels.begin(), frame.pixels.end(), [](std::uint32_t p) { return p == kBlack; });
    int logo = 0;
    for (std::uint32_t y = 80; y < 176; ++y) {
      for (std::uint32_t x = 192; x < 448; ++x) logo += frame.At(x, y) != kBlack;
    }
    const bool title = logo > 2000 && frame.At(20, 200) == kBlack && frame.At(600, 400) == kBlack;
    EXPECT_TRUE(black || title) << "frame " << frame.number << " shows neither black nor the title";
  }
}

TEST_F(WholeGameTest, RepaintReloadsThePalette) {
  Start();
  Run(1);
  backend.QueueMenuChoice(form->F1->Command());
  Run(2);
  form->Brin1->PaletteEntries.fill(PALETTEENTRY{1, 2, 3, 0});
  backend.QueueSimple(platform::EventType::Expose);
  Run(2);
  // The palette is cg1.bmp's colour table again: its entry 0 is black.
  EXPECT_EQ(form->Brin1->PaletteEntries[0].peRed, 0);
  EXPECT_EQ(form->Brin1->PaletteEntries[0].peGreen, 0);
  EXPECT_EQ(form->Brin1->PaletteEntries[0].peBlue, 0);
  EXPECT_EQ(Lit(0, 200, 150, 80), 0);
}

}  // namespace
