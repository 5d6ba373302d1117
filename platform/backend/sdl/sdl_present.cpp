// Showing the picture: choosing the renderer, the accelerated path (a
// texture at the picture's size that the renderer scales) and the software
// path (the picture converted and scaled into the window's surface, only
// the rows that changed, copied to the screen by the window system).
#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/backend/sdl/sdl_backend.h"
#include "platform/backend/sdl/sdl_choice.h"

namespace platform::sdl {
namespace {

// Changed rows closer than this go into one area, of at most so many rows:
// short areas stay as narrow as the changes in them.
constexpr std::uint32_t kAreaGap = 4;
constexpr std::uint32_t kAreaRows = 16;

// Where two rows of SIZE bytes first differ (SIZE when they do not), and
// the end of their last difference: 64 bytes at a time, then byte by byte
// inside the block that differs.
constexpr std::size_t kBlock = 64;

bool SameBlock(const std::uint8_t* a, const std::uint8_t* b) {
#if defined(__SSE2__)
  __m128i same = _mm_set1_epi8(-1);
  for (std::size_t i = 0; i < kBlock; i += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    same = _mm_and_si128(same, _mm_cmpeq_epi8(x, y));
  }
  return _mm_movemask_epi8(same) == 0xFFFF;
#else
  return std::memcmp(a, b, kBlock) == 0;
#endif
}

std::size_t FirstDifference(const std::uint8_t* a, const std::uint8_t* b, std::size_t size) {
  std::size_t i = 0;
  while (i + kBlock <= size && SameBlock(a + i, b + i)) i += kBlock;
  while (i < size && a[i] == b[i]) ++i;
  return i;
}

std::size_t DifferenceEnd(const std::uint8_t* a, const std::uint8_t* b, std::size_t size) {
  std::size_t end = size;
  while (end >= kBlock && SameBlock(a + end - kBlock, b + end - kBlock)) end -= kBlock;
  while (end > 0 && a[end - 1] == b[end - 1]) --end;
  return end;
}

bool IsXrgbSurface(const SDL_Surface* surface) {
  return surface->format->BytesPerPixel == 4 && surface->format->Rmask == 0xFF0000 &&
         surface->format->Gmask == 0xFF00 && surface->format->Bmask == 0xFF;
}

}  // namespace

bool SdlBackend::MakeRenderer() {
  // A renderer named through SDL_RENDER_DRIVER is taken as it is.
  const char* named = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
  const bool chosen = named && *named;
  const bool software = chosen && SDL_strcasecmp(named, "software") == 0;
  if (!software && (chosen || ServerRendersDirectly(window_))) {
    // No vertical sync here: the program waits for the vertical blank itself.
    renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (renderer_ && !chosen && RendersInSoftware(renderer_)) {
      SDL_DestroyRenderer(renderer_);
      renderer_ = nullptr;
    }
    if (renderer_) {
      accelerated_ = true;
      return true;
    }
  }
  accelerated_ = false;
  return AttachSurface();
}

bool SdlBackend::AttachSurface() {
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  if (!surface) return false;
  // A new size gives a new surface, which may reuse the old one's address.
  if (renderer_ && surface == surface_ && surface->w == surfaceWidth_ && surface->h == surfaceHeight_ &&
      surface->pixels == surfacePixels_) {
    return true;
  }
  // The menu's captions are textures of the old renderer: let go of them first.
  menu_.Rebind(nullptr);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (staging_) SDL_FreeSurface(staging_);
  staging_ = nullptr;
  surface_ = surface;
  surfaceWidth_ = surface->w;
  surfaceHeight_ = surface->h;
  surfacePixels_ = surface->pixels;
  renderer_ = SDL_CreateSoftwareRenderer(surface);
  if (!renderer_) return false;
  if (!IsXrgbSurface(surface)) {
    staging_ = SDL_CreateRGBSurfaceWithFormat(0, surface->w, surface->h, 32, SDL_PIXELFORMAT_RGB888);
    if (!staging_) return false;
  }
  menu_.Rebind(renderer_);
  redrawAll_ = true;
  return true;
}

void SdlBackend::OutputSize(int& width, int& height) const {
  width = height = 0;
  if (accelerated_) {
    SDL_GetRendererOutputSize(renderer_, &width, &height);
  } else if (window_) {
    SDL_GetWindowSize(window_, &width, &height);
  }
}

SDL_Rect SdlBackend::PictureRect() const {
  if (!fullScreen_) {
    return SDL_Rect{pictureX_ * scale_, ShownMenuHeight() + pictureY_ * scale_, pictureWidth_ * scale_,
                    pictureHeight_ * scale_};
  }
  int ow = 0, oh = 0;
  OutputSize(ow, oh);
  // The emulated mode's picture, scaled to fit with its aspect kept.
  const int pw = static_cast<int>(shownMode_.width), ph = static_cast<int>(shownMode_.height);
  if (pw <= 0 || ph <= 0) return SDL_Rect{0, 0, ow, oh};
  int w = ow, h = static_cast<int>(static_cast<long long>(ow) * ph / pw);
  if (h > oh) {
    h = oh;
    w = static_cast<int>(static_cast<long long>(oh) * pw / ph);
  }
  return SDL_Rect{(ow - w) / 2, (oh - h) / 2, w, h};
}

// --- accelerated path -----------------------------------------------------------------

void SdlBackend::Upload(const FrameView& frame) {
  if (!renderer_ || !frame.pixels || frame.width == 0 || frame.height == 0) return;
  const int w = static_cast<int>(frame.width), h = static_cast<int>(frame.height);
  if (!accelerated_) {
    // A new shape or palette, an open menu over the picture or a new
    // surface: Present draws everything.
    const bool whole = KeepFrame(frame);
    if (whole || menu_.IsOpen() || !AttachSurface() || redrawAll_) {
      redrawAll_ = true;
      return;
    }
    const SDL_Rect picture = PictureRect();
    for (std::size_t i = 0; i < dirtyCount_; ++i) DrawArea(dirty_[i], picture);
    return;
  }
  if (!picture_ || w > textureWidth_ || h > textureHeight_) {
    // Grows only: a picture of another size reuses the texture's corner.
    if (picture_) SDL_DestroyTexture(picture_);
    textureWidth_ = std::max(w, textureWidth_);
    textureHeight_ = std::max(h, textureHeight_);
    picture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, textureWidth_,
                                 textureHeight_);
    if (!picture_) return;
    SDL_SetTextureScaleMode(picture_, SDL_ScaleModeNearest);
  }
  const SDL_Rect area{0, 0, w, h};
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(picture_, &area, &pixels, &pitch) != 0) return;
  converter_.Convert(frame, static_cast<std::uint8_t*>(pixels), pitch);
  SDL_UnlockTexture(picture_);
  pictureWidth_ = w;
  pictureHeight_ = h;
  pictureX_ = frame.clientX;
  pictureY_ = frame.clientY;
}

void SdlBackend::Present(const FrameView& frame) {
  Upload(frame);
  if (accelerated_ || redrawAll_) {
    Render();
    return;
  }
  if (dirtyCount_ == 0 || !haveDesc_ || !desc_.visible) return;
  // Only the areas drawn go to the screen.
  const SDL_Rect picture = PictureRect();
  SDL_Rect rects[kMaxAreas];
  int count = 0;
  for (std::size_t i = 0; i < dirtyCount_; ++i) {
    const PixelArea shown = converter_.Scaled(dirty_[i]);
    if (shown.right > shown.left && shown.bottom > shown.top) {
      rects[count++] = SDL_Rect{picture.x + static_cast<int>(shown.left), picture.y + static_cast<int>(shown.top),
                                static_cast<int>(shown.right - shown.left), static_cast<int>(shown.bottom - shown.top)};
    }
  }
  if (count > 0) SDL_UpdateWindowSurfaceRects(window_, rects, count);
}

// --- software path --------------------------------------------------------------------

bool SdlBackend::KeepFrame(const FrameView& frame) {
  const std::uint32_t bytes = (frame.bitsPerPixel + 7) / 8;
  const std::size_t rowBytes = static_cast<std::size_t>(frame.width) * bytes;
  const bool reshaped = !keptFrame_.pixels || keptFrame_.width != frame.width || keptFrame_.height != frame.height ||
                        keptFrame_.bitsPerPixel != frame.bitsPerPixel || keptFrame_.redMask != frame.redMask ||
                        keptFrame_.greenMask != frame.greenMask || keptFrame_.blueMask != frame.blueMask ||
                        keptFrame_.clientX != frame.clientX || keptFrame_.clientY != frame.clientY;
  if (reshaped) {
    kept_.resize(rowBytes * frame.height);
    keptFrame_ = frame;
    keptFrame_.pixels = kept_.data();
    keptFrame_.pitch = static_cast<std::int32_t>(rowBytes);
    keptFrame_.palette = nullptr;
    pictureWidth_ = static_cast<int>(frame.width);
    pictureHeight_ = static_cast<int>(frame.height);
    pictureX_ = frame.clientX;
    pictureY_ = frame.clientY;
  }
  bool recoloured = false;
  if (frame.bitsPerPixel == 8) {
    // A palette of its own, or grey (none): either way every row changes.
    const bool had = keptFrame_.palette != nullptr;
    if (frame.palette) {
      recoloured = !had || std::memcmp(keptPalette_.data(), frame.palette, sizeof keptPalette_) != 0;
      std::memcpy(keptPalette_.data(), frame.palette, sizeof keptPalette_);
      keptFrame_.palette = keptPalette_.data();
    } else {
      recoloured = had;
      keptFrame_.palette = nullptr;
    }
  }
  // The rows that differ from the kept ones take their place; the areas
  // gather them, each as wide as the changes in its rows.
  dirtyCount_ = 0;
  for (std::uint32_t y = 0; y < frame.height; ++y) {
    const std::uint8_t* row = frame.pixels + static_cast<std::intptr_t>(y) * frame.pitch;
    std::uint8_t* keptRow = kept_.data() + y * rowBytes;
    std::size_t first = 0, end = rowBytes;
    if (!reshaped) {
      // Most rows are as they were: the library's compare says so fastest.
      if (std::memcmp(row, keptRow, rowBytes) == 0) continue;
      first = FirstDifference(row, keptRow, rowBytes);
      end = DifferenceEnd(row, keptRow, rowBytes);
    }
    std::memcpy(keptRow + first, row + first, end - first);
    const auto left = static_cast<std::uint32_t>(first / bytes);
    const auto right = static_cast<std::uint32_t>((end + bytes - 1) / bytes);
    PixelArea* last = dirtyCount_ > 0 ? &dirty_[dirtyCount_ - 1] : nullptr;
    if (last && ((y - last->bottom < kAreaGap && y - last->top < kAreaRows) || dirtyCount_ == kMaxAreas)) {
      last->bottom = y + 1;
      last->left = std::min(last->left, left);
      last->right = std::max(last->right, right);
    } else {
      dirty_[dirtyCount_++] = PixelArea{left, y, right, y + 1};
    }
  }
  return reshaped || recoloured;
}

void SdlBackend::DrawArea(const PixelArea& area, const SDL_Rect& picture) {
  SDL_Surface* target = staging_ ? staging_ : surface_;
  // A picture that does not fit is a window whose new size has not arrived
  // yet; it is drawn whole once it has.
  if (picture.w <= 0 || picture.h <= 0 || picture.x < 0 || picture.y < 0 || picture.x + picture.w > target->w ||
      picture.y + picture.h > target->h) {
    return;
  }
  auto* origin = static_cast<std::uint8_t*>(target->pixels) + static_cast<std::intptr_t>(picture.y) * target->pitch +
                 static_cast<std::intptr_t>(picture.x) * 4;
  converter_.ConvertScaled(keptFrame_, static_cast<std::uint32_t>(picture.w), static_cast<std::uint32_t>(picture.h),
                           area, origin, target->pitch);
  if (staging_) {
    const PixelArea shown = converter_.Scaled(area);
    SDL_Rect rect{picture.x + static_cast<int>(shown.left), picture.y + static_cast<int>(shown.top),
                  static_cast<int>(shown.right - shown.left), static_cast<int>(shown.bottom - shown.top)};
    SDL_Rect to = rect;
    SDL_BlitSurface(staging_, &rect, surface_, &to);
  }
}

// --- both -----------------------------------------------------------------------------

void SdlBackend::Render() {
  if (!renderer_ || !haveDesc_ || !desc_.visible) return;
  if (!accelerated_ && !AttachSurface()) return;
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  const SDL_Rect dst = PictureRect();
  if (accelerated_) {
    if (picture_ && pictureWidth_ > 0) {
      const SDL_Rect src{0, 0, pictureWidth_, pictureHeight_};
      SDL_RenderCopy(renderer_, picture_, &src, &dst);
    }
  } else if (keptFrame_.pixels) {
    // What the renderer cleared must reach the surface before the picture.
    SDL_RenderFlush(renderer_);
    DrawArea(PixelArea{0, 0, keptFrame_.width, keptFrame_.height}, dst);
  }
  int ow = 0, oh = 0;
  OutputSize(ow, oh);
  if (!fullScreen_) {
    menu_.SetScale(scale_);
    if (MenuHeight() > 0) menu_.Draw(0, 0, ow, true);
  } else {
    // In full screen the bar shows only while a menu is open, at the
    // picture's scale rounded down.
    menu_.SetScale(shownMode_.height > 0 ? dst.h / static_cast<int>(shownMode_.height) : 1);
    menu_.Draw(dst.x, 0, dst.w, false);
  }
  if (accelerated_) {
    SDL_RenderPresent(renderer_);
  } else {
    SDL_RenderFlush(renderer_);
    SDL_UpdateWindowSurface(window_);
  }
  redrawAll_ = false;
}

std::uint32_t SdlBackend::ReadBackPixel(int x, int y) {
  if (!renderer_) return 0;
  if (accelerated_) {
    // What a GL renderer showed is gone after the swap: draw it again.
    Render();
    std::uint32_t pixel = 0;
    const SDL_Rect one{x, y, 1, 1};
    if (SDL_RenderReadPixels(renderer_, &one, SDL_PIXELFORMAT_RGB888, &pixel, 4) != 0) return 0;
    return pixel & 0xFFFFFF;
  }
  if (!AttachSurface()) return 0;
  if (redrawAll_) Render();
  if (x < 0 || y < 0 || x >= surface_->w || y >= surface_->h) return 0;
  const auto* row = static_cast<const std::uint8_t*>(surface_->pixels) + static_cast<std::intptr_t>(y) * surface_->pitch;
  std::uint32_t value = 0;
  std::memcpy(&value, row + static_cast<std::intptr_t>(x) * surface_->format->BytesPerPixel,
              surface_->format->BytesPerPixel);
  Uint8 r = 0, g = 0, b = 0;
  SDL_GetRGB(value, surface_->format, &r, &g, &b);
  return (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
}

}  // namespace platform::sdl
