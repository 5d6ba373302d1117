// The one colour table all three sheets share.
//
// cg1.bmp's table becomes the hardware palette in 8-bit full screen, and
// cg2/cg3 are then shown as raw indices through it, so every sheet carries
// the same 256 entries. Layout:
//   0        black, the transparent colour (the colour key in every format)
//   1-9      the Windows static colours of the system palette's low end
//   10-245   sixteen-step ramps that every sprite and glyph is drawn from
//            (windowed 8-bit mode keeps exactly these entries)
//   246-255  the static colours of the high end, 255 white
// Every ramp colour keeps at least one channel above the 5-6-5 and 5-5-5
// truncation limits, so no opaque pixel becomes the key in a 16-bit display.
#pragma once

#include <array>
#include <cstdint>

namespace assetgen {

struct Rgb {
  std::uint8_t r;
  std::uint8_t g;
  std::uint8_t b;
  bool operator==(const Rgb&) const = default;
};

using Palette = std::array<Rgb, 256>;

const Palette& SheetPalette();

// A ramp is 16 consecutive entries from dark (level 0) to light (level 15).
enum class Ramp : std::uint8_t {
  Steel,    // blue-grey, hulls and outlines
  Red,      // blocks of colour 0
  Orange,
  Gold,     // blocks of colour 3
  Green,    // blocks of colour 2
  Cyan,     // player shots, shield
  Blue,     // blocks of colour 1
  Violet,
  Pink,     // enemy bullets
  Fire,     // bursts: black-red through yellow to white
  Ice,      // laser: deep blue through cyan to white
  Sky,      // logo chrome, upper half
  Earth,    // logo chrome, lower half
  Teal,
};

constexpr int kRampCount = 14;
constexpr int kFirstRampEntry = 10;

constexpr std::uint8_t Shade(Ramp ramp, int level) {
  const int clamped = level < 0 ? 0 : (level > 15 ? 15 : level);
  return static_cast<std::uint8_t>(kFirstRampEntry + 16 * static_cast<int>(ramp) + clamped);
}

constexpr std::uint8_t kTransparent = 0;

}  // namespace assetgen
