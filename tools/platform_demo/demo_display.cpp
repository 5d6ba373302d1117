#include "tools/platform_demo/demo_display.h"

#include <cmath>

#include "platform/pixels.h"
#include "platform/window.h"

namespace demo {
namespace {

// 8-bit palette: the pattern's colours at fixed indices, a colour ramp after.
constexpr BYTE kIndexBackground = 1, kIndexFrame = 2, kIndexCheck = 3, kIndexKey = 5;
constexpr std::uint32_t kKeyColour = 0xFF00FF;

template <typename T>
void ReleaseOf(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

}  // namespace

std::uint32_t Display::Pixel(std::uint32_t rgb) const {
  if (format_.dwRGBBitCount == 8) {
    switch (rgb) {
      case kBackground: return kIndexBackground;
      case kFrame: return kIndexFrame;
      case kCheck: return kIndexCheck;
      case kKeyColour: return kIndexKey;
      default: return 0;
    }
  }
  const platform::PixelFormat f{format_.dwRGBBitCount, format_.dwRBitMask, format_.dwGBitMask, format_.dwBBitMask, 0};
  return platform::PackColor(f, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

bool Display::Build(HWND window, bool fullScreen, const char*& failed) {
  Release();
  window_ = window;
  fullScreen_ = fullScreen;
  failed = "DirectDrawCreateEx";
  if (FAILED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&ddraw_), IID_IDirectDraw7, nullptr))) return false;
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  if (fullScreen) {
    failed = "SetCooperativeLevel";
    if (FAILED(ddraw_->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT))) return false;
    failed = "SetDisplayMode";
    if (FAILED(ddraw_->SetDisplayMode(kWidth, kHeight, 8, 0, 0))) return false;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    failed = "CreateSurface (primary)";
    if (FAILED(ddraw_->CreateSurface(&desc, &primary_, nullptr))) return false;
    DDSCAPS2 caps{};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    failed = "GetAttachedSurface";
    if (FAILED(primary_->GetAttachedSurface(&caps, &back_))) return false;
    PALETTEENTRY entries[256];
    for (int i = 0; i < 256; ++i) {
      entries[i] = PALETTEENTRY{BYTE(i), BYTE(255 - i), BYTE((i * 5) & 0xFF), PC_NOCOLLAPSE};
    }
    entries[0] = PALETTEENTRY{0, 0, 0, 0};
    entries[kIndexBackground] = PALETTEENTRY{0, 0, 0x40, 0};
    entries[kIndexFrame] = PALETTEENTRY{0xFF, 0, 0, 0};
    entries[kIndexCheck] = PALETTEENTRY{0xFF, 0xFF, 0, 0};
    entries[kIndexKey] = PALETTEENTRY{0xFF, 0, 0xFF, 0};
    failed = "CreatePalette";
    if (FAILED(ddraw_->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette_, nullptr))) return false;
    failed = "SetPalette";
    if (FAILED(primary_->SetPalette(palette_))) return false;
  } else {
    failed = "SetCooperativeLevel";
    if (FAILED(ddraw_->SetCooperativeLevel(window, DDSCL_NORMAL))) return false;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    failed = "CreateSurface (primary)";
    if (FAILED(ddraw_->CreateSurface(&desc, &primary_, nullptr))) return false;
    DDSURFACEDESC2 backDesc{};
    backDesc.dwSize = sizeof backDesc;
    backDesc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    backDesc.dwWidth = kWidth;
    backDesc.dwHeight = kHeight;
    backDesc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    failed = "CreateSurface (back buffer)";
    if (FAILED(ddraw_->CreateSurface(&backDesc, &back_, nullptr))) return false;
    failed = "CreateClipper";
    if (FAILED(ddraw_->CreateClipper(0, &clipper_, nullptr))) return false;
    failed = "SetHWnd";
    if (FAILED(clipper_->SetHWnd(0, window))) return false;
    failed = "SetClipper";
    if (FAILED(primary_->SetClipper(clipper_))) return false;
  }
  DDSURFACEDESC2 backInfo{};
  backInfo.dwSize = sizeof backInfo;
  failed = "GetSurfaceDesc";
  if (FAILED(back_->GetSurfaceDesc(&backInfo))) return false;
  format_ = backInfo.ddpfPixelFormat;
  DDSURFACEDESC2 spriteDesc{};
  spriteDesc.dwSize = sizeof spriteDesc;
  spriteDesc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  spriteDesc.dwWidth = kSprite;
  spriteDesc.dwHeight = kSprite;
  spriteDesc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  failed = "CreateSurface (sprite)";
  if (FAILED(ddraw_->CreateSurface(&spriteDesc, &sprite_, nullptr))) return false;
  failed = "drawing the sprite";
  return DrawSprite();
}

bool Display::DrawSprite() {
  // A red frame round a checkerboard of yellow and transparent cells.
  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof locked;
  if (FAILED(sprite_->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr))) return false;
  platform::PixelView view;
  view.bits = static_cast<std::uint8_t*>(locked.lpSurface);
  view.pitch = locked.lPitch;
  view.width = kSprite;
  view.height = kSprite;
  view.format = platform::PixelFormat{format_.dwRGBBitCount, format_.dwRBitMask, format_.dwGBitMask, format_.dwBBitMask, 0};
  for (int y = 0; y < kSprite; ++y) {
    for (int x = 0; x < kSprite; ++x) {
      std::uint32_t rgb = kKeyColour;
      if (x < 8 || y < 8 || x >= kSprite - 8 || y >= kSprite - 8) {
        rgb = kFrame;
      } else if ((x / 8 + y / 8) % 2 == 0) {
        rgb = kCheck;
      }
      platform::WritePixel(view, x, y, Pixel(rgb));
    }
  }
  sprite_->Unlock(nullptr);
  DDCOLORKEY key{Pixel(kKeyColour), Pixel(kKeyColour)};
  return SUCCEEDED(sprite_->SetColorKey(DDCKEY_SRCBLT, &key));
}

void Display::Release() {
  ReleaseOf(sprite_);
  ReleaseOf(palette_);
  ReleaseOf(clipper_);
  ReleaseOf(back_);
  ReleaseOf(primary_);
  if (ddraw_ && fullScreen_) ddraw_->RestoreDisplayMode();
  ReleaseOf(ddraw_);
}

void Display::Restore() {
  if (!ddraw_) return;
  if (primary_ && primary_->IsLost() == DDERR_SURFACELOST) primary_->Restore();
  if (!fullScreen_ && back_ && back_->IsLost() == DDERR_SURFACELOST) back_->Restore();
  if (sprite_ && sprite_->IsLost() == DDERR_SURFACELOST && SUCCEEDED(sprite_->Restore())) DrawSprite();
}

void Display::DrawFrame(std::uint32_t frame) {
  if (!back_ || !sprite_) return;
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  fx.dwFillColor = Pixel(kBackground);
  RECT all{0, 0, kWidth, kHeight};
  back_->Blt(&all, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  // Eight sprites circle the middle; one stays in the top-left corner.
  for (int i = 0; i < 8; ++i) {
    const double angle = frame * 0.04 + i * 3.14159265358979 / 4;
    const auto x = static_cast<DWORD>(kWidth / 2 - kSprite / 2 + std::cos(angle) * 150);
    const auto y = static_cast<DWORD>(kHeight / 2 - kSprite / 2 + std::sin(angle) * 150);
    back_->BltFast(x, y, sprite_, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
  }
  back_->BltFast(kMarkerX, kMarkerY, sprite_, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
  if (fullScreen_) {
    if (SUCCEEDED(primary_->Flip(nullptr, DDFLIP_WAIT))) return;
  }
  RECT client{};
  GetClientRect(window_, &client);
  POINT origin{0, 0};
  ClientToScreen(window_, &origin);
  RECT dst{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
  ddraw_->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
  DDBLTFX none{};
  none.dwSize = sizeof none;
  primary_->Blt(&dst, back_, &all, DDBLT_WAIT, &none);
}

}  // namespace demo
