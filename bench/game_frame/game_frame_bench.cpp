// One frame of the game as the main form's idle handler runs it: clear the
// back buffer, run the scene, DrawAll, present, count, start the sounds and
// wait out the frame. The headless clock moves 20 ms at every read, so the
// frame's wait ends at its first look at the clock and the time measured is
// the frame's work.
//
//   Title/32       the title in a window on a 32-bit desktop
//   Title/8        the same in 8-bit full screen
//   Play/32, /8    a busy play frame: the fire button held, the ship kept
//                  shielded, blocks and bullets topped up between frames to
//                  at least 60 blocks and 300 bullets
//
// Every operator new of the process is counted. allocs_per_frame must be 0:
// a run whose frames allocate anything ends with an error instead of a time.
//
//   game_frame_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "display/debug_log.h"
#include "game/main_form.h"
#include "platform/backend/headless/headless_backend.h"
#include "platform/system.h"
#include "platform/vk.h"
#include "tests/support/allocation_count.h"

namespace fs = std::filesystem;

namespace {

constexpr int kBusyBlocks = 60;
constexpr int kBusyBullets = 300;

// The game started as the program starts it, in a folder of its own with
// the sheets and waves it opens by bare name.
class Game {
 public:
  explicit Game(int bits) {
    const fs::path exeDir = fs::canonical("/proc/self/exe").parent_path();
    dir_ = fs::temp_directory_path() / ("zornack_bench_" + std::to_string(static_cast<long>(getpid())));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    for (const char* name : {"cg2.bmp", "cg3.bmp", "bom02.wav", "bom03.wav", "bom04.wav", "click05.wav",
                             "click06.wav"}) {
      ok_ = fs::exists(exeDir / name);
      if (!ok_) return;
      fs::copy_file(exeDir / name, dir_ / name);
    }
    previousDir_ = fs::current_path();
    fs::current_path(dir_);
    backend_.SetClockStepPerRead(20000);
    backend_.SetFrameHistory(1);
    platform::Install(&backend_);
    brin::DisplayLogChannel().Reset();
    app_ = new TApplication();
    app_->Initialize();
    app_->CreateForm(Form1);
    form_ = Form1;
    form_->Show();
    if (bits == 8) form_->F1Click(nullptr);
    app_->RunFor(3);
    ok_ = form_->Brin1->ScreenBitDepth == bits && form_->Brin1->BackBuffer;
  }
  ~Game() {
    delete app_;
    platform::Install(nullptr);
    if (!previousDir_.empty()) fs::current_path(previousDir_);
    fs::remove_all(dir_);
  }
  bool Ok() const { return ok_; }
  TForm1& Form() { return *form_; }
  TGame& State() { return form_->Game; }
  platform::HeadlessBackend& Backend() { return backend_; }
  // Delivers what the back end has queued, without running a frame.
  void Pump() { app_->ProcessMessages(); }
  void Frame() {
    bool done = true;
    form_->AppIdle(nullptr, done);
  }

 private:
  platform::HeadlessBackend backend_;
  TApplication* app_ = nullptr;
  TForm1* form_ = nullptr;
  fs::path dir_;
  fs::path previousDir_;
  bool ok_ = false;
};

void ReportAllocations(benchmark::State& state, long made) {
  const auto frames = std::max<benchmark::IterationCount>(state.iterations(), 1);
  state.counters["allocs_per_frame"] = benchmark::Counter(static_cast<double>(made) / static_cast<double>(frames));
  if (made != 0) state.SkipWithError(("frames allocated " + std::to_string(made) + " times").c_str());
}

void BM_Title(benchmark::State& state) {
  Game game(static_cast<int>(state.range(0)));
  if (!game.Ok()) {
    state.SkipWithError("no display of that depth, or the assets beside the program are missing");
    return;
  }
  for (int i = 0; i < 20; ++i) game.Frame();
  const long before = AllocationCount();
  for (auto _ : state) game.Frame();
  ReportAllocations(state, AllocationCount() - before);
}
BENCHMARK(BM_Title)->ArgName("bits")->Arg(32)->Arg(8)->Unit(benchmark::kMicrosecond);

// Keeps the field busy: the ship shielded (so the game never ends), blocks
// and bullets topped up wherever the frames cleared them.
void TopUp(TGame& g) {
  g.ShieldTime = 250;
  while (g.CountActive(TGame::kFirstBlock, TGame::kLastBlock) < kBusyBlocks) {
    g.SpawnBlock(g.Random(16), g.Random(600), g.Random(200) + 20, g.Random(2000), TGame::DegToRad(g.Random(360)));
  }
  while (g.CountActive(TGame::kFirstBullet, TGame::kLastBullet) < kBusyBullets) {
    g.SpawnBullet(g.Random(640), g.Random(400), g.Random(1500) + 500, TGame::DegToRad(g.Random(360)));
  }
}

void BM_Play(benchmark::State& state) {
  Game game(static_cast<int>(state.range(0)));
  if (!game.Ok()) {
    state.SkipWithError("no display of that depth, or the assets beside the program are missing");
    return;
  }
  TGame& g = game.State();
  g.EnterScene(kScenePlay);
  g.Scene = kScenePlay;
  g.PrevScene = kScenePlay;
  g.StageNumber = 0;
  game.Backend().QueueKeyDown('Z', DIK_Z);
  game.Pump();
  for (int i = 0; i < 50; ++i) {
    TopUp(g);
    game.Frame();
  }
  long made = 0;
  double blocks = 0, bullets = 0, shots = 0;
  for (auto _ : state) {
    state.PauseTiming();
    TopUp(g);
    blocks += g.CountActive(TGame::kFirstBlock, TGame::kLastBlock);
    bullets += g.CountActive(TGame::kFirstBullet, TGame::kLastBullet);
    shots += g.CountActive(TGame::kFirstShot, TGame::kLastShot);
    const long before = AllocationCount();
    state.ResumeTiming();
    game.Frame();
    made += AllocationCount() - before;
  }
  ReportAllocations(state, made);
  const auto frames = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
  state.counters["blocks"] = blocks / frames;
  state.counters["bullets"] = bullets / frames;
  state.counters["shots"] = shots / frames;
  state.counters["scene"] = g.Scene;
}
BENCHMARK(BM_Play)->ArgName("bits")->Arg(32)->Arg(8)->Unit(benchmark::kMicrosecond);

}  // namespace
