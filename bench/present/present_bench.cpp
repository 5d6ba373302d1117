// Cost of showing one 640 x 480 frame through the SDL back end.
//
//   Convert8        palette conversion only, into plain memory
//   Upload8/32      conversion straight into the locked streaming texture
//                   (the present cost the back end adds per frame)
//   SdlBlitUpload8  SDL's own way: blit the 8-bit surface through its palette
//                   to a 32-bit surface, then SDL_UpdateTexture
//   Present8        the whole present, drawing and showing included
//
// Side by side, the scaled picture of a full screen (1440 x 1080 on a
// 1920 x 1080 desktop, 2880 x 2160 on 3840 x 2160) and of a 2x window:
//   ScaledConvert8  our software path: the 8-bit frame converted through its
//                   palette and scaled in one pass
//   SdlScaledCopy   SDL's scaled copy (SDL_BlitScaled, nearest, as its
//                   software renderer does it) of the frame already
//                   converted to 32 bits at its own size (SDL cannot scale
//                   an 8-bit surface into a 32-bit one in one blit)
//   ConvertThenSdlScaledCopy   the way the picture was shown before: our
//                   conversion at 640 x 480, then SDL's scaled copy
//
// Needs a display; without DISPLAY it uses SDL's offscreen driver.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/backend/sdl/sdl_backend.h"

namespace {

using platform::FrameView;
constexpr int kWidth = 640, kHeight = 480;

struct Fixture {
  std::unique_ptr<platform::sdl::SdlBackend> backend;
  std::vector<std::uint8_t> indexed = std::vector<std::uint8_t>(kWidth * kHeight);
  std::vector<std::uint32_t> xrgb = std::vector<std::uint32_t>(kWidth * kHeight);
  PALETTEENTRY palette[256];

  Fixture() {
    for (int i = 0; i < kWidth * kHeight; ++i) {
      indexed[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((i * 7) ^ (i >> 9));
      xrgb[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
    }
    for (int i = 0; i < 256; ++i) palette[i] = PALETTEENTRY{BYTE(i), BYTE(255 - i), BYTE(i * 3), 0};
    if (!std::getenv("DISPLAY")) setenv("SDL_VIDEODRIVER", "offscreen", 0);
    std::string error;
    backend = platform::sdl::SdlBackend::Create({}, error);
    if (!backend) {
      std::fprintf(stderr, "present_bench: no display (%s)\n", error.c_str());
      std::exit(1);
    }
    platform::WindowDesc desc;
    desc.caption = "present_bench";
    desc.client = RECT{0, 0, kWidth, kHeight};
    desc.visible = true;
    backend->UpdateWindow(desc);
  }

  FrameView Frame8() const {
    FrameView f;
    f.pixels = indexed.data();
    f.pitch = kWidth;
    f.width = kWidth;
    f.height = kHeight;
    f.bitsPerPixel = 8;
    f.palette = palette;
    return f;
  }
  FrameView Frame32() const {
    FrameView f;
    f.pixels = reinterpret_cast<const std::uint8_t*>(xrgb.data());
    f.pitch = kWidth * 4;
    f.width = kWidth;
    f.height = kHeight;
    f.bitsPerPixel = 32;
    f.redMask = 0xFF0000;
    f.greenMask = 0xFF00;
    f.blueMask = 0xFF;
    return f;
  }
};

Fixture& Get() {
  static Fixture fixture;
  return fixture;
}

void Convert8(benchmark::State& state) {
  auto& f = Get();
  platform::sdl::FrameConverter converter;
  std::vector<std::uint32_t> out(kWidth * kHeight);
  const FrameView frame = f.Frame8();
  for (auto _ : state) {
    converter.Convert(frame, reinterpret_cast<std::uint8_t*>(out.data()), kWidth * 4);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(Convert8)->Unit(benchmark::kMicrosecond);

void Upload8(benchmark::State& state) {
  auto& f = Get();
  const FrameView frame = f.Frame8();
  for (auto _ : state) f.backend->Upload(frame);
}
BENCHMARK(Upload8)->Unit(benchmark::kMicrosecond);

void Upload32(benchmark::State& state) {
  auto& f = Get();
  const FrameView frame = f.Frame32();
  for (auto _ : state) f.backend->Upload(frame);
}
BENCHMARK(Upload32)->Unit(benchmark::kMicrosecond);

void SdlBlitUpload8(benchmark::State& state) {
  auto& f = Get();
  SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(f.indexed.data(), kWidth, kHeight, 8, kWidth,
                                                        SDL_PIXELFORMAT_INDEX8);
  SDL_Color colors[256];
  for (int i = 0; i < 256; ++i) colors[i] = SDL_Color{f.palette[i].peRed, f.palette[i].peGreen, f.palette[i].peBlue, 255};
  SDL_SetPaletteColors(src->format->palette, colors, 0, 256);
  SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_RGB888);
  SDL_Window* window = SDL_CreateWindow("sdl", 0, 0, kWidth, kHeight, SDL_WINDOW_HIDDEN);
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0);
  SDL_Texture* texture =
      SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, kWidth, kHeight);
  for (auto _ : state) {
    SDL_BlitSurface(src, nullptr, dst, nullptr);
    SDL_UpdateTexture(texture, nullptr, dst->pixels, dst->pitch);
  }
  SDL_DestroyTexture(texture);
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_FreeSurface(dst);
  SDL_FreeSurface(src);
}
BENCHMARK(SdlBlitUpload8)->Unit(benchmark::kMicrosecond);

// Output sizes for the scaled pair.
void ScaledSizes(benchmark::internal::Benchmark* b) {
  b->Args({1440, 1080})->Args({2880, 2160})->Args({1280, 960})->Unit(benchmark::kMicrosecond);
}

void ScaledConvert8(benchmark::State& state) {
  auto& f = Get();
  const auto w = static_cast<std::uint32_t>(state.range(0)), h = static_cast<std::uint32_t>(state.range(1));
  platform::sdl::FrameConverter converter;
  std::vector<std::uint32_t> out(static_cast<std::size_t>(w) * h);
  const FrameView frame = f.Frame8();
  for (auto _ : state) {
    converter.ConvertScaled(frame, w, h, platform::sdl::PixelArea{0, 0, kWidth, kHeight},
                            reinterpret_cast<std::uint8_t*>(out.data()), static_cast<std::int32_t>(w * 4));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * w * h);
}
BENCHMARK(ScaledConvert8)->Apply(ScaledSizes);

// SDL's scaled copy of the frame at 32 bits into the output size; with
// CONVERT_EACH_FRAME the 8-bit frame is converted first every time (the path
// before our one-pass conversion), otherwise once.
void SdlScaled(benchmark::State& state, bool convertEachFrame) {
  auto& f = Get();
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  platform::sdl::FrameConverter converter;
  SDL_Surface* src = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_RGB888);
  SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGB888);
  SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
  const FrameView frame = f.Frame8();
  converter.Convert(frame, static_cast<std::uint8_t*>(src->pixels), src->pitch);
  for (auto _ : state) {
    if (convertEachFrame) converter.Convert(frame, static_cast<std::uint8_t*>(src->pixels), src->pitch);
    SDL_Rect to{0, 0, w, h};
    SDL_BlitScaled(src, nullptr, dst, &to);
    benchmark::DoNotOptimize(dst->pixels);
  }
  state.SetItemsProcessed(state.iterations() * w * h);
  SDL_FreeSurface(dst);
  SDL_FreeSurface(src);
}

void SdlScaledCopy(benchmark::State& state) { SdlScaled(state, false); }
BENCHMARK(SdlScaledCopy)->Apply(ScaledSizes);

void ConvertThenSdlScaledCopy(benchmark::State& state) { SdlScaled(state, true); }
BENCHMARK(ConvertThenSdlScaledCopy)->Apply(ScaledSizes);

void Present8(benchmark::State& state) {
  auto& f = Get();
  const FrameView frame = f.Frame8();
  for (auto _ : state) f.backend->Present(frame);
}
BENCHMARK(Present8)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
