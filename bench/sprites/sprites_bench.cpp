// The sprite table's frame: DrawAll of a full table as the game makes it
// (720 entries, 400 shapes cut as 16 x 16 cells from the three sheets, keyed
// with each sheet's pixel (0, 0)) onto the 640 x 480 back buffer of a
// headless display.
//
//   DrawAll/32/0   every entry visible, unscaled and opaque, as in the game;
//                  windowed on a 32-bit desktop
//   DrawAll/8/0    the same in 8-bit full screen, the game's full-screen mode
//   DrawAll/*/1    one entry in ten stretched (SetHeight), one in ten
//                  translucent, and a few with a bad layer or shape number,
//                  the log off as in the game; 8-bit displays cannot blend,
//                  so there the translucent ones are drawn twice over
//   SortByZ        filing the 720 entries alone, without drawing
//
// Every operator new of the process is counted. allocs_per_frame must be 0:
// a run whose frames allocate anything ends with an error instead of a time.
//
//   sprites_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "display/brin.h"
#include "display/debug_log.h"
#include "platform/backend/headless/headless_backend.h"
#include "platform/forms.h"
#include "platform/system.h"
#include "surfaces/brin_sprite.h"
#include "surfaces/brin_surface.h"
#include "tests/support/allocation_count.h"

namespace {

constexpr int kEntries = 720;
constexpr int kShapes = 400;
constexpr int kCell = 16;

class BenchForm : public TForm {
 public:
  explicit BenchForm(TComponent* owner) : TForm(owner) {
    SetCaption("sprites_bench");
    SetBounds(0, 0, 648, 526);
    Brin1 = new TBrin(this);
    Brin1->SetDebugOption({broHaltOnError});  // the game's setting: no log lines
  }
  TBrin* Brin1;
};

// The game's display, sheets and table on the headless back end.
class Scene {
 public:
  Scene(int bits, bool mixed) {
    platform::Install(&backend_);
    brin::DisplayLogChannel().Reset();
    app_ = new TApplication();
    app_->Initialize();
    app_->CreateForm(form_);
    TBrin* brin = form_->Brin1;
    if (bits == 8) brin->ChangeToFullScreen(640, 480, 8, 0, "");
    ok_ = brin->BackBuffer && brin->ScreenBitDepth == bits;
    const char* const files[] = {BRIN_ASSETS_DIR "cg1.bmp", BRIN_ASSETS_DIR "cg2.bmp", BRIN_ASSETS_DIR "cg3.bmp"};
    for (std::size_t i = 0; i < sheets_.size(); ++i) {
      ok_ = ok_ && std::filesystem::exists(files[i]);
      sheets_[i] = std::make_unique<TBrinSurface>(brin, 256, 256, 0);
      sheets_[i]->LoadFromFile(files[i]);
      sheets_[i]->SetColorKey(sheets_[i]->GetPixel(0, 0));
    }
    table_ = std::make_unique<TBrinSprite>(kEntries, kShapes);
    for (int s = 0; s < kShapes; ++s) {
      const int cell = s % 256;
      const int x = (cell % 16) * kCell;
      const int y = (cell / 16) * kCell;
      table_->SetShape(s, sheets_[static_cast<std::size_t>(s / 256)].get(), Rect(x, y, x + kCell, y + kCell));
    }
    // Entries spread over the screen and a little past its edges.
    std::uint32_t seed = 12345;
    auto next = [&seed](int n) {
      seed = seed * 134775813u + 1u;
      return static_cast<int>((std::uint64_t{seed} * static_cast<std::uint32_t>(n)) >> 32);
    };
    for (int n = 0; n < kEntries; ++n) {
      TBrinSprReg* e = table_->Entry(n);
      e->IShape = next(kShapes);
      e->X = next(640 + kCell) - kCell;
      e->Y = next(480 + kCell) - kCell;
      e->Show();
      if (!mixed) continue;
      if (n % 10 == 3) e->SetHeight(24);
      if (n % 10 == 7) e->Alpha = 128;
      if (n % 100 == 11) e->Z = 1;
      if (n % 100 == 13) e->IShape = kShapes;
    }
  }
  ~Scene() {
    table_.reset();
    for (auto& sheet : sheets_) sheet.reset();
    delete app_;
    brin::DisplayLogChannel().Reset();
    platform::Install(nullptr);
  }
  bool Ok() const { return ok_; }
  TBrinSprite& Table() { return *table_; }

 private:
  platform::HeadlessBackend backend_;
  TApplication* app_ = nullptr;
  BenchForm* form_ = nullptr;
  std::array<std::unique_ptr<TBrinSurface>, 3> sheets_;
  std::unique_ptr<TBrinSprite> table_;
  bool ok_ = false;
};

// Reports the allocations made while the frames ran, per frame.
void ReportAllocations(benchmark::State& state, long before) {
  const long made = AllocationCount() - before;
  const auto frames = std::max<benchmark::IterationCount>(state.iterations(), 1);
  state.counters["allocs_per_frame"] = benchmark::Counter(static_cast<double>(made) / static_cast<double>(frames));
  if (made != 0) state.SkipWithError(("frames allocated " + std::to_string(made) + " times").c_str());
}

void BM_DrawAll(benchmark::State& state) {
  Scene scene(static_cast<int>(state.range(0)), state.range(1) != 0);
  if (!scene.Ok()) {
    state.SkipWithError("no display of that depth, or the sheets in assets/ are missing");
    return;
  }
  TBrinSprite& table = scene.Table();
  table.DrawAll();  // the first frame touches every page once
  const long before = AllocationCount();
  for (auto _ : state) {
    table.DrawAll();
    benchmark::ClobberMemory();
  }
  ReportAllocations(state, before);
  state.counters["entries_per_second"] = benchmark::Counter(static_cast<double>(state.iterations()) * kEntries,
                                                            benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawAll)->ArgNames({"bits", "mixed"})->Args({32, 0})->Args({8, 0})->Args({32, 1})->Args({8, 1})
    ->Unit(benchmark::kMicrosecond);

void BM_SortByZ(benchmark::State& state) {
  Scene scene(32, false);
  TBrinSprite& table = scene.Table();
  const long before = AllocationCount();
  for (auto _ : state) {
    table.SortByZ();
    benchmark::ClobberMemory();
  }
  ReportAllocations(state, before);
}
BENCHMARK(BM_SortByZ)->Unit(benchmark::kMicrosecond);

}  // namespace
