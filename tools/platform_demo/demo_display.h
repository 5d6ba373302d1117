// The demo's display: DirectDraw objects for a window (a back buffer blitted
// to the client area) or full screen (an 8-bit flip chain with a palette),
// and the moving pattern drawn into them.
#pragma once

#include <cstdint>

#include "platform/ddraw.h"

namespace demo {

// The pattern's colours, as they must appear on the screen.
constexpr std::uint32_t kBackground = 0x000040;
constexpr std::uint32_t kFrame = 0xFF0000;
constexpr std::uint32_t kCheck = 0xFFFF00;
constexpr int kWidth = 640, kHeight = 480;
constexpr int kSprite = 64;   // the pattern sprite's size
constexpr int kMarkerX = 8;   // the still copy of the sprite in the client area
constexpr int kMarkerY = 8;

class Display {
 public:
  ~Display() { Release(); }
  // Builds the display for WINDOW; false with a message when a call failed.
  bool Build(HWND window, bool fullScreen, const char*& failed);
  void Release();
  // Draws frame number FRAME and shows it.
  void DrawFrame(std::uint32_t frame);
  // Brings back lost surfaces (after a focus loss in full screen).
  void Restore();
  bool FullScreen() const { return fullScreen_; }
  IDirectDraw7* DirectDraw() const { return ddraw_; }

 private:
  std::uint32_t Pixel(std::uint32_t rgb) const;
  bool DrawSprite();

  HWND window_ = nullptr;
  bool fullScreen_ = false;
  IDirectDraw7* ddraw_ = nullptr;
  IDirectDrawSurface7* primary_ = nullptr;
  IDirectDrawSurface7* back_ = nullptr;
  IDirectDrawSurface7* sprite_ = nullptr;
  IDirectDrawClipper* clipper_ = nullptr;
  IDirectDrawPalette* palette_ = nullptr;
  DDPIXELFORMAT format_{};
};

}  // namespace demo
