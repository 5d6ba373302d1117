// DirectDraw's software blits against SDL2's, on the same pixels.
//
//   Sprites32 / Sprites8    2,000 colour-keyed 16 x 16 sprites drawn onto a
//                           640 x 480 surface: IDirectDrawSurface7::BltFast
//                           with DDBLTFAST_SRCCOLORKEY, against
//                           SDL_BlitSurface with SDL_SetColorKey and
//                           SDL_RLEACCEL, same shapes and positions
//   SheetSprites32 / 8      the same, but the sprites are 16 x 16 cells of
//                           one 256 x 256 sheet, as the game draws them
//   Fill32 / Fill8          a whole 640 x 480 colour fill: Blt with
//                           DDBLT_COLORFILL against SDL_FillRect
//
// Both sides of each pair run in this one process; compare medians of
//   blit_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/backend/headless/headless_backend.h"
#include "platform/ddraw.h"
#include "platform/system.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kSprites = 2000;
constexpr int kShapes = 16;
constexpr int kSide = 16;

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "blit_bench: %s failed (%s)\n", what, SDL_GetError());
    std::exit(1);
  }
}

// Shape S, pixel (x, y): 0 outside a blob that differs per shape (the
// key), else a colour index 1..255 (8 bits) used to pick a colour.
int ShapeIndex(int s, int x, int y) {
  const int cx = 2 * x - 15;
  const int cy = 2 * y - 15;
  const int radius = 9 + (s % 6) * 4;  // squared half-width in half pixels / 4
  if (cx * cx + cy * cy > radius * radius) return 0;
  if (s % 3 == 0 && (x + y) % 7 == 0) return 0;  // some shapes have holes inside
  return 1 + ((s * 37 + x * 11 + y * 5) % 255);
}

std::uint32_t Colour32(int index) { return index == 0 ? 0 : 0x00010101u * static_cast<std::uint32_t>(index) ^ 0x00402000u; }

struct Positions {
  std::vector<int> x, y, shape;
  Positions() {
    std::uint32_t seed = 12345;
    auto next = [&seed] {
      seed = seed * 1664525u + 1013904223u;
      return seed >> 8;
    };
    for (int i = 0; i < kSprites; ++i) {
      x.push_back(static_cast<int>(next() % (kWidth - kSide + 1)));
      y.push_back(static_cast<int>(next() % (kHeight - kSide + 1)));
      shape.push_back(static_cast<int>(next() % kShapes));
    }
  }
};

const Positions& Where() {
  static const Positions positions;
  return positions;
}

// --- DirectDraw side ---------------------------------------------------------------

DDPIXELFORMAT Format(int bits) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof(f);
  f.dwRGBBitCount = static_cast<DWORD>(bits);
  if (bits == 8) {
    f.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
  } else {
    f.dwFlags = DDPF_RGB;
    f.dwRBitMask = 0xFF0000;
    f.dwGBitMask = 0x00FF00;
    f.dwBBitMask = 0x0000FF;
  }
  return f;
}

class DDraw {
 public:
  explicit DDraw(int bits) : bits_(bits) {
    platform::Install(&backend_);
    Check(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd_), IID_IDirectDraw7, nullptr) == DD_OK,
          "DirectDrawCreateEx");
    Check(dd_->SetCooperativeLevel(nullptr, DDSCL_NORMAL) == DD_OK, "SetCooperativeLevel");
    target_ = Make(kWidth, kHeight);
    for (int s = 0; s < kShapes; ++s) {
      sprites_[s] = Make(kSide, kSide);
      Paint(sprites_[s], [s](int x, int y) { return ShapeIndex(s, x, y); });
    }
    sheet_ = Make(256, 256);
    Paint(sheet_, [](int x, int y) { return ShapeIndex((y / kSide) * 16 + x / kSide, x % kSide, y % kSide); });
  }

  ~DDraw() {
    for (auto* s : sprites_) s->Release();
    sheet_->Release();
    target_->Release();
    dd_->Release();
    platform::Install(nullptr);
  }

  void Sprites() {
    const Positions& p = Where();
    for (int i = 0; i < kSprites; ++i)
      target_->BltFast(static_cast<DWORD>(p.x[static_cast<size_t>(i)]), static_cast<DWORD>(p.y[static_cast<size_t>(i)]),
                       sprites_[p.shape[static_cast<size_t>(i)]], nullptr, DDBLTFAST_SRCCOLORKEY);
  }

  void SheetSprites() {
    const Positions& p = Where();
    for (int i = 0; i < kSprites; ++i) {
      const int cell = p.shape[static_cast<size_t>(i)] * 5 % 256;
      RECT from{(cell % 16) * kSide, (cell / 16) * kSide, (cell % 16 + 1) * kSide, (cell / 16 + 1) * kSide};
      target_->BltFast(static_cast<DWORD>(p.x[static_cast<size_t>(i)]), static_cast<DWORD>(p.y[static_cast<size_t>(i)]),
                       sheet_, &from, DDBLTFAST_SRCCOLORKEY);
    }
  }

  void Fill(DWORD colour) {
    DDBLTFX fx{};
    fx.dwSize = sizeof(fx);
    fx.dwFillColor = colour;
    target_->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  }

  std::uint32_t Sum() {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    Check(target_->Lock(nullptr, &d, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) == DD_OK, "Lock");
    std::uint32_t sum = 0;
    for (int y = 0; y < kHeight; ++y) {
      const auto* row = static_cast<const std::uint8_t*>(d.lpSurface) + y * d.lPitch;
      for (int i = 0; i < kWidth * bits_ / 8; ++i) sum = sum * 31 + row[i];
    }
    target_->Unlock(nullptr);
    return sum;
  }

 private:
  IDirectDrawSurface7* Make(int w, int h) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.dwWidth = static_cast<DWORD>(w);
    d.dwHeight = static_cast<DWORD>(h);
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    d.ddpfPixelFormat = Format(bits_);
    IDirectDrawSurface7* s = nullptr;
    Check(dd_->CreateSurface(&d, &s, nullptr) == DD_OK, "CreateSurface");
    return s;
  }

  template <typename IndexAt>
  void Paint(IDirectDrawSurface7* s, IndexAt index) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    Check(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr) == DD_OK, "Lock");
    for (DWORD y = 0; y < d.dwHeight; ++y) {
      auto* row = static_cast<std::uint8_t*>(d.lpSurface) + y * static_cast<DWORD>(d.lPitch);
      for (DWORD x = 0; x < d.dwWidth; ++x) {
        const int i = index(static_cast<int>(x), static_cast<int>(y));
        if (bits_ == 8) {
          row[x] = static_cast<std::uint8_t>(i);
        } else {
          const std::uint32_t c = Colour32(i);
          std::memcpy(row + x * 4, &c, 4);
        }
      }
    }
    s->Unlock(nullptr);
    DDCOLORKEY key{0, 0};
    Check(s->SetColorKey(DDCKEY_SRCBLT, &key) == DD_OK, "SetColorKey");
  }

  int bits_;
  platform::HeadlessBackend backend_;
  IDirectDraw7* dd_ = nullptr;
  IDirectDrawSurface7* target_ = nullptr;
  IDirectDrawSurface7* sprites_[kShapes] = {};
  IDirectDrawSurface7* sheet_ = nullptr;
};

// --- SDL side ------------------------------------------------------------------------

class Sdl {
 public:
  explicit Sdl(int bits) : bits_(bits) {
    if (bits == 8) {
      palette_ = SDL_AllocPalette(256);
      SDL_Color colours[256];
      for (int i = 0; i < 256; ++i) colours[i] = SDL_Color{Uint8(i), Uint8(255 - i), Uint8(i * 3), 255};
      SDL_SetPaletteColors(palette_, colours, 0, 256);
    }
    target_ = Make(kWidth, kHeight);
    for (int s = 0; s < kShapes; ++s) {
      sprites_[s] = Make(kSide, kSide);
      Paint(sprites_[s], [s](int x, int y) { return ShapeIndex(s, x, y); });
    }
    sheet_ = Make(256, 256);
    Paint(sheet_, [](int x, int y) { return ShapeIndex((y / kSide) * 16 + x / kSide, x % kSide, y % kSide); });
    // RLE encoding happens at the first blit; do it before anything is timed.
    Sprites();
    SheetSprites();
    SDL_FillRect(target_, nullptr, 0);
  }

  ~Sdl() {
    for (auto* s : sprites_) SDL_FreeSurface(s);
    SDL_FreeSurface(sheet_);
    SDL_FreeSurface(target_);
    if (palette_) SDL_FreePalette(palette_);
  }

  void Sprites() {
    const Positions& p = Where();
    for (int i = 0; i < kSprites; ++i) {
      SDL_Rect to{p.x[static_cast<size_t>(i)], p.y[static_cast<size_t>(i)], kSide, kSide};
      SDL_BlitSurface(sprites_[p.shape[static_cast<size_t>(i)]], nullptr, target_, &to);
    }
  }

  void SheetSprites() {
    const Positions& p = Where();
    for (int i = 0; i < kSprites; ++i) {
      const int cell = p.shape[static_cast<size_t>(i)] * 5 % 256;
      SDL_Rect from{(cell % 16) * kSide, (cell / 16) * kSide, kSide, kSide};
      SDL_Rect to{p.x[static_cast<size_t>(i)], p.y[static_cast<size_t>(i)], kSide, kSide};
      SDL_BlitSurface(sheet_, &from, target_, &to);
    }
  }

  void Fill(Uint32 colour) { SDL_FillRect(target_, nullptr, colour); }

  std::uint32_t Sum() {
    std::uint32_t sum = 0;
    for (int y = 0; y < kHeight; ++y) {
      const auto* row = static_cast<const std::uint8_t*>(target_->pixels) + y * target_->pitch;
      for (int i = 0; i < kWidth * bits_ / 8; ++i) sum = sum * 31 + row[i];
    }
    return sum;
  }

 private:
  SDL_Surface* Make(int w, int h) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(
        0, w, h, bits_, bits_ == 8 ? SDL_PIXELFORMAT_INDEX8 : SDL_PIXELFORMAT_RGB888);
    Check(s != nullptr, "SDL_CreateRGBSurfaceWithFormat");
    if (palette_) SDL_SetSurfacePalette(s, palette_);
    return s;
  }

  template <typename IndexAt>
  void Paint(SDL_Surface* s, IndexAt index) {
    for (int y = 0; y < s->h; ++y) {
      auto* row = static_cast<std::uint8_t*>(s->pixels) + y * s->pitch;
      for (int x = 0; x < s->w; ++x) {
        const int i = index(x, y);
        if (bits_ == 8) {
          row[x] = static_cast<std::uint8_t>(i);
        } else {
          const std::uint32_t c = Colour32(i);
          std::memcpy(row + x * 4, &c, 4);
        }
      }
    }
    Check(SDL_SetColorKey(s, SDL_TRUE, 0) == 0 && SDL_SetSurfaceRLE(s, 1) == 0, "SDL_SetColorKey");
  }

  int bits_;
  SDL_Palette* palette_ = nullptr;
  SDL_Surface* target_ = nullptr;
  SDL_Surface* sprites_[kShapes] = {};
  SDL_Surface* sheet_ = nullptr;
};

// Both sides must draw the same picture, or the race means nothing.
void SamePicture(int bits, bool sheet) {
  DDraw ours(bits);
  Sdl theirs(bits);
  if (sheet) {
    ours.SheetSprites();
    theirs.Fill(0);
    theirs.SheetSprites();
  } else {
    ours.Sprites();
    theirs.Fill(0);
    theirs.Sprites();
  }
  Check(ours.Sum() == theirs.Sum(), "comparing the two pictures");
}

template <int Bits>
void BM_DDrawSprites(benchmark::State& state) {
  DDraw ours(Bits);
  for (auto _ : state) {
    ours.Sprites();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSprites);
}

template <int Bits>
void BM_SdlSprites(benchmark::State& state) {
  Sdl theirs(Bits);
  for (auto _ : state) {
    theirs.Sprites();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSprites);
}

template <int Bits>
void BM_DDrawSheetSprites(benchmark::State& state) {
  DDraw ours(Bits);
  for (auto _ : state) {
    ours.SheetSprites();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSprites);
}

template <int Bits>
void BM_SdlSheetSprites(benchmark::State& state) {
  Sdl theirs(Bits);
  for (auto _ : state) {
    theirs.SheetSprites();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSprites);
}

template <int Bits>
void BM_DDrawFill(benchmark::State& state) {
  DDraw ours(Bits);
  DWORD colour = 1;
  for (auto _ : state) {
    ours.Fill(colour++);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * Bits / 8);
}

template <int Bits>
void BM_SdlFill(benchmark::State& state) {
  Sdl theirs(Bits);
  Uint32 colour = 1;
  for (auto _ : state) {
    theirs.Fill(colour++);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * Bits / 8);
}

BENCHMARK(BM_DDrawSprites<32>)->Name("Sprites32/DDraw")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdlSprites<32>)->Name("Sprites32/SDL")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DDrawSprites<8>)->Name("Sprites8/DDraw")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdlSprites<8>)->Name("Sprites8/SDL")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DDrawSheetSprites<32>)->Name("SheetSprites32/DDraw")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdlSheetSprites<32>)->Name("SheetSprites32/SDL")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DDrawSheetSprites<8>)->Name("SheetSprites8/DDraw")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdlSheetSprites<8>)->Name("SheetSprites8/SDL")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DDrawFill<32>)->Name("Fill32/DDraw")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdlFill<32>)->Name("Fill32/SDL")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DDrawFill<8>)->Name("Fill8/DDraw")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdlFill<8>)->Name("Fill8/SDL")->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  for (int bits : {8, 32})
    for (bool sheet : {false, true}) SamePicture(bits, sheet);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
