#include "tools/make_assets/palette.h"

namespace assetgen {
namespace {

// Four anchor colours per ramp, at levels 0, 5, 10 and 15; the levels in
// between are interpolated with integer rounding.
struct RampAnchors {
  Ramp ramp;
  Rgb anchor[4];
};

constexpr RampAnchors kRamps[kRampCount] = {
    {Ramp::Steel, {{18, 20, 34}, {66, 74, 104}, {150, 160, 188}, {250, 252, 255}}},
    {Ramp::Red, {{44, 8, 14}, {150, 22, 34}, {236, 64, 64}, {255, 214, 200}}},
    {Ramp::Orange, {{48, 18, 8}, {176, 70, 14}, {255, 150, 34}, {255, 238, 190}}},
    {Ramp::Gold, {{44, 32, 8}, {156, 116, 12}, {246, 206, 40}, {255, 255, 210}}},
    {Ramp::Green, {{10, 38, 16}, {24, 128, 44}, {90, 222, 84}, {226, 255, 214}}},
    {Ramp::Cyan, {{8, 30, 44}, {12, 116, 156}, {64, 218, 240}, {234, 255, 255}}},
    {Ramp::Blue, {{12, 16, 56}, {34, 62, 176}, {86, 136, 255}, {216, 230, 255}}},
    {Ramp::Violet, {{28, 10, 48}, {96, 34, 164}, {176, 96, 244}, {242, 216, 255}}},
    {Ramp::Pink, {{44, 8, 32}, {172, 22, 112}, {255, 76, 184}, {255, 222, 244}}},
    {Ramp::Fire, {{40, 8, 8}, {180, 30, 8}, {255, 150, 20}, {255, 255, 236}}},
    {Ramp::Ice, {{12, 20, 84}, {40, 92, 232}, {120, 206, 255}, {244, 255, 255}}},
    {Ramp::Sky, {{24, 40, 96}, {72, 120, 208}, {170, 214, 255}, {255, 255, 255}}},
    {Ramp::Earth, {{40, 18, 24}, {124, 60, 40}, {222, 140, 70}, {255, 228, 170}}},
    {Ramp::Teal, {{8, 36, 36}, {20, 120, 110}, {70, 210, 180}, {220, 255, 240}}},
};

// The static colours Windows keeps in entries 0-9 and 246-255 of the system
// palette; matching them keeps those entries the same in every mode.
constexpr Rgb kStaticLow[10] = {
    {0, 0, 0},     {128, 0, 0},   {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
    {128, 0, 128}, {0, 128, 128}, {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
};
constexpr Rgb kStaticHigh[10] = {
    {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},   {0, 255, 0},
    {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255}, {255, 255, 255},
};

constexpr std::uint8_t Mix(std::uint8_t a, std::uint8_t b, int f) {
  return static_cast<std::uint8_t>((a * (5 - f) + b * f + 2) / 5);
}

Palette BuildPalette() {
  Palette p{};
  for (int i = 0; i < 10; ++i) {
    p[i] = kStaticLow[i];
    p[246 + i] = kStaticHigh[i];
  }
  for (const RampAnchors& r : kRamps) {
    for (int level = 0; level < 16; ++level) {
      const int seg = level >= 15 ? 2 : level / 5;
      const int f = level - 5 * seg;
      const Rgb& a = r.anchor[seg];
      const Rgb& b = r.anchor[seg + 1];
      p[Shade(r.ramp, level)] = {Mix(a.r, b.r, f), Mix(a.g, b.g, f), Mix(a.b, b.b, f)};
    }
  }
  // The twelve entries after the ramps: a neutral grey scale, spare for
  // anything drawn later.
  for (int i = 0; i < 12; ++i) {
    const auto v = static_cast<std::uint8_t>(24 + i * 20);
    p[kFirstRampEntry + 16 * kRampCount + i] = {v, v, v};
  }
  return p;
}

}  // namespace

const Palette& SheetPalette() {
  static const Palette palette = BuildPalette();
  return palette;
}

}  // namespace assetgen
