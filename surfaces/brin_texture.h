// Textures: surfaces made for the display's Direct3D device in a pixel
// format of their own, picked from the formats the device lists, either by
// the application's wish string or by the library's preference for the
// format nearest the desktop's depth.
//
// A wish string holds wishes separated by ";" (blanks around each are
// ignored; empty ones dropped), earliest first: "PAL8" for an 8-bit palette,
// "ARGBabgr" with four one-digit bit counts (ARGB4444), or "RGBrgb" with
// three (RGB565, whose alpha bits are not looked at). The first wish any
// listed format satisfies wins; among the formats that satisfy it, the first
// listed.
#pragma once

#include <cstdint>
#include <string>

#include "surfaces/brin_surface.h"
#include "surfaces/surface_keeper.h"

class TBrin;

// A texture: the source fields of a TBrinSurface, so it loads bitmaps and
// gets them back after a loss or a mode switch, and the wish it was made
// with, so a rebuild picks its format the same way. It enters the display's
// texture list while it lives.
class TBrinTexture : public TBrinSurface {
 public:
  TBrinTexture(TBrin* Owner, std::int32_t Width, std::int32_t Height, const std::string& FormatWish,
               std::uint32_t ColorKey);
  ~TBrinTexture() override;

  std::string FormatWish;

 private:
  TBrinTextureKeeper* keeper_ = nullptr;  // owned by the display's texture list
};

// The texture list's keeper of a TBrinTexture: rebuilds it with its stored
// size, wish and colour key.
class TBrinWishTextureKeeper : public TBrinTextureKeeper {
 public:
  TBrinWishTextureKeeper(TBrin* Owner, TBrinTexture* Texture) : TBrinTextureKeeper(Owner, Texture), texture_(Texture) {}

 protected:
  void CreateTexture() override;

 private:
  TBrinTexture* texture_;
};
