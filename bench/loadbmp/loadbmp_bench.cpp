// Loading the game's 256 x 256 8-bit sheet into surfaces of each depth: from
// memory (the loader alone) and from the file (as the game loads it). The
// goal is 1 ms for the sheet into a 32-bit surface.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "display/debug_log.h"
#include "platform/backend/headless/headless_backend.h"
#include "platform/ddraw.h"
#include "platform/stream.h"
#include "platform/system.h"
#include "surfaces/brin_surface.h"

namespace {

const char* const kSheet = BRIN_ASSETS_DIR "cg1.bmp";

// A 256 x 256 system-memory surface of BITS bits per pixel (16 is 5-6-5,
// 32 is X8R8G8B8, 8 palettised), wrapped as the library wraps surfaces.
class Target {
 public:
  explicit Target(DWORD bits) {
    platform::Install(&backend_);
    brin::DisplayLogChannel().Reset();
    brin::DisplayLogChannel().debugMessage = false;
    if (DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&ddraw_), IID_IDirectDraw7, nullptr) != DD_OK) std::abort();
    ddraw_->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.dwWidth = 256;
    desc.dwHeight = 256;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    desc.ddpfPixelFormat.dwSize = sizeof desc.ddpfPixelFormat;
    desc.ddpfPixelFormat.dwFlags = bits == 8 ? DDPF_RGB | DDPF_PALETTEINDEXED8 : DDPF_RGB;
    desc.ddpfPixelFormat.dwRGBBitCount = bits;
    if (bits == 16) {
      desc.ddpfPixelFormat.dwRBitMask = 0xF800;
      desc.ddpfPixelFormat.dwGBitMask = 0x07E0;
      desc.ddpfPixelFormat.dwBBitMask = 0x001F;
    } else if (bits == 32) {
      desc.ddpfPixelFormat.dwRBitMask = 0xFF0000;
      desc.ddpfPixelFormat.dwGBitMask = 0xFF00;
      desc.ddpfPixelFormat.dwBBitMask = 0xFF;
    }
    if (ddraw_->CreateSurface(&desc, &dds_, nullptr) != DD_OK) std::abort();
    surface_ = new TBrinGenSurface(nullptr, dds_, 256, 256);
  }
  ~Target() {
    delete surface_;
    dds_->Release();
    ddraw_->Release();
    platform::Install(nullptr);
  }
  TBrinGenSurface& Surface() { return *surface_; }

 private:
  platform::HeadlessBackend backend_;
  IDirectDraw7* ddraw_ = nullptr;
  IDirectDrawSurface7* dds_ = nullptr;
  TBrinGenSurface* surface_ = nullptr;
};

std::vector<std::uint8_t> SheetBytes() {
  std::ifstream in(kSheet, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void BM_LoadSheetFromMemory(benchmark::State& state) {
  Target target(static_cast<DWORD>(state.range(0)));
  platform::MemoryStream stream(SheetBytes());
  if (stream.Size() == 0) state.SkipWithError("assets/cg1.bmp is missing");
  for (auto _ : state) {
    stream.SetPosition(0);
    target.Surface().LoadBMP(stream);
  }
  state.SetItemsProcessed(state.iterations() * 256 * 256);
}
BENCHMARK(BM_LoadSheetFromMemory)->Arg(32)->Arg(16)->Arg(8)->Unit(benchmark::kMicrosecond);

void BM_LoadSheetFromFile(benchmark::State& state) {
  Target target(static_cast<DWORD>(state.range(0)));
  for (auto _ : state) target.Surface().LoadFromFile(kSheet);
  state.SetItemsProcessed(state.iterations() * 256 * 256);
}
BENCHMARK(BM_LoadSheetFromFile)->Arg(32)->Unit(benchmark::kMicrosecond);

}  // namespace
