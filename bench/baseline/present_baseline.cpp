// The baseline for tools/measure_load: a minimal SDL2 program that converts
// a 640 x 480 8-bit picture through a palette into a streaming texture and
// presents it with SDL's default renderer at 50 frames a second, paced with
// SDL_Delay. Alt+Enter switches between a window and full screen (the
// picture scaled to fit, aspect kept), Escape or closing the window ends it.
// With ZORNACK_FRAME_LOG set, each frame's start is written to that file in
// microseconds, as the game does.
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr Uint64 kFrameMicroseconds = 20000;

SDL_Rect Fit(SDL_Renderer* renderer) {
  int w = 0, h = 0;
  SDL_GetRendererOutputSize(renderer, &w, &h);
  int fw = w, fh = w * kHeight / kWidth;
  if (fh > h) {
    fh = h;
    fw = h * kWidth / kHeight;
  }
  return SDL_Rect{(w - fw) / 2, (h - fh) / 2, fw, fh};
}

}  // namespace

int main(int, char**) {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "present_baseline: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* window = SDL_CreateWindow("present_baseline", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWidth,
                                        kHeight, 0);
  SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
  SDL_Texture* texture = renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                                      kWidth, kHeight)
                                  : nullptr;
  if (!texture) {
    std::fprintf(stderr, "present_baseline: %s\n", SDL_GetError());
    return 1;
  }
  std::FILE* log = nullptr;
  if (const char* path = std::getenv("ZORNACK_FRAME_LOG")) log = std::fopen(path, "w");

  std::vector<std::uint8_t> picture(kWidth * kHeight);
  for (int i = 0; i < kWidth * kHeight; ++i) picture[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((i % kWidth) ^ (i / kWidth));
  std::uint32_t palette[256];
  for (int i = 0; i < 256; ++i) palette[i] = static_cast<std::uint32_t>((i << 16) | ((255 - i) << 8) | (i * 3 & 255));

  const Uint64 frequency = SDL_GetPerformanceFrequency();
  const auto micros = [frequency] { return SDL_GetPerformanceCounter() * 1000000 / frequency; };
  const Uint64 start = micros();
  bool fullScreen = false;
  for (Uint64 frame = 0;; ++frame) {
    if (log) {
      std::fprintf(log, "%llu\n", static_cast<unsigned long long>(micros() - start));
      std::fflush(log);
    }
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      if (e.type == SDL_QUIT || (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_ESCAPE)) {
        if (log) std::fclose(log);
        SDL_Quit();
        return 0;
      }
      if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_RETURN && (e.key.keysym.mod & KMOD_ALT) && !e.key.repeat) {
        fullScreen = !fullScreen;
        SDL_SetWindowFullscreen(window, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
      }
    }
    // The picture moves through its palette, so every frame is new.
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture, nullptr, &pixels, &pitch) == 0) {
      const auto shift = static_cast<std::uint8_t>(frame);
      for (int y = 0; y < kHeight; ++y) {
        auto* out = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(pixels) + y * pitch);
        const std::uint8_t* in = picture.data() + y * kWidth;
        for (int x = 0; x < kWidth; ++x) out[x] = palette[static_cast<std::uint8_t>(in[x] + shift)];
      }
      SDL_UnlockTexture(texture);
    }
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    const SDL_Rect dst = Fit(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, &dst);
    SDL_RenderPresent(renderer);
    const Uint64 due = start + (frame + 1) * kFrameMicroseconds, now = micros();
    if (due > now) SDL_Delay(static_cast<Uint32>((due - now) / 1000));
  }
}
