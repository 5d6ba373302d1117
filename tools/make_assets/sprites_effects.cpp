// Shots, laser, sparks, enemy bullets and burst particles: small glowing
// things drawn from distance fields in half-pixel units, so each is centred
// exactly in its cell.
#include <cstdlib>

#include "game/shape_table.h"
#include "tools/make_assets/int_math.h"
#include "tools/make_assets/palette.h"
#include "tools/make_assets/sprites.h"

namespace assetgen {
namespace {

// Offset of pixel P's centre from the centre of a SIZE-pixel span, in half
// pixels.
int HalfOffset(int p, int size) { return 2 * p + 1 - size; }

// Distance (half pixels) of point (dx, dy) from the ray leaving the centre
// at ANGLE: across the ray and along it.
struct RayDistance {
  int across;
  int along;
};

RayDistance ToRay(int dx, int dy, int angle) {
  const std::int64_t c = CosQ15(angle);
  const std::int64_t s = SinQ15(angle);
  const std::int64_t along = (dx * c + dy * s) >> 15;
  const std::int64_t across = (dx * s - dy * c) >> 15;
  return {static_cast<int>(across < 0 ? -across : across), static_cast<int>(along)};
}

// Draws a star of RAYS rays of LENGTH half pixels at ANGLE on top of what is
// already there, brighter than what it covers only.
void DrawRays(Cell& cell, Ramp ramp, int rays, int angle, int length, int widthHalfPx, int tipLevel, int rootLevel) {
  for (int y = 0; y < cell.Height(); ++y) {
    for (int x = 0; x < cell.Width(); ++x) {
      const int dx = HalfOffset(x, cell.Width());
      const int dy = HalfOffset(y, cell.Height());
      for (int r = 0; r < rays; ++r) {
        const RayDistance d = ToRay(dx, dy, angle + (kFullTurn * r) / rays);
        if (d.along < 0 || d.along > length) continue;
        // The ray narrows towards its tip.
        const int width = widthHalfPx - (widthHalfPx * d.along) / (length + 1);
        if (d.across > width) continue;
        const int level = rootLevel + ((tipLevel - rootLevel) * d.along) / (length > 0 ? length : 1);
        const std::uint8_t index = Shade(ramp, level);
        if (cell.Get(x, y) == 0 || cell.Get(x, y) < index) cell.Put(x, y, index);
        break;
      }
    }
  }
}

// A round glow: level by squared distance against the thresholds, brightest
// first; pixels beyond the last threshold are left alone.
void DrawGlow(Cell& cell, Ramp ramp, int cxHalf, int cyHalf, const int (&limits)[4], const int (&levels)[4]) {
  for (int y = 0; y < cell.Height(); ++y) {
    for (int x = 0; x < cell.Width(); ++x) {
      const int dx = 2 * x + 1 - cxHalf;
      const int dy = 2 * y + 1 - cyHalf;
      const int d2 = dx * dx + dy * dy;
      for (int i = 0; i < 4; ++i) {
        if (d2 <= limits[i]) {
          cell.Put(x, y, Shade(ramp, levels[i]));
          break;
        }
      }
    }
  }
}

}  // namespace

void DrawPlayerShots(IndexedImage& sheet) {
  for (int f = 0; f < 4; ++f) {
    Cell cell = ShapeCellOf(sheet, shape::kShotFirst + f);
    const int top = 2;                // half pixels
    const int bodyEnd = 18 + 2 * f;   // the bolt stretches over the frames
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 8; ++x) {
        const int hx = std::abs(HalfOffset(x, 8));
        const int py = 2 * y + 1;
        int dy = 0;
        int fade = 0;
        if (py < top) {
          dy = top - py;
        } else if (py > bodyEnd) {
          dy = (py - bodyEnd) / 3;
          fade = (py - bodyEnd) / 4;
        }
        const int e = hx * hx + dy * dy;
        int level;
        if (e <= 1) {
          level = 15;
        } else if (e <= 5) {
          level = 13;
        } else if (e <= 10) {
          level = 10;
        } else if (e <= 26) {
          level = 4;
        } else {
          continue;
        }
        level -= fade;
        if (level < 3) continue;
        cell.Put(x, y, Shade(Ramp::Cyan, level));
      }
    }
  }
}

void DrawLaser(IndexedImage& sheet) {
  // Beam frames: one column profile each, the same in every row, so the
  // beam stays clean however far it is stretched downwards.
  const int profiles[4][8] = {
      {3, 7, 11, 15, 15, 11, 7, 3},
      {4, 9, 13, 15, 15, 13, 9, 4},
      {5, 10, 14, 15, 15, 14, 10, 5},
      {4, 8, 12, 15, 15, 12, 8, 4},
  };
  for (int f = 0; f < 4; ++f) {
    Cell beam = ShapeCellOf(sheet, shape::kLaserBeamFirst + f);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) beam.Put(x, y, Shade(Ramp::Ice, profiles[f][x]));
    }
  }
  // Muzzle frames: a pulsing flare where the beam leaves the ship, fed from
  // above by the beam's core.
  const int radii[4] = {6, 7, 8, 7};
  for (int f = 0; f < 4; ++f) {
    Cell muzzle = ShapeCellOf(sheet, shape::kLaserMuzzleFirst + f);
    const int r = radii[f];
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        const int dx = HalfOffset(x, 8);
        const int dy = 2 * y + 1 - 9;
        const int d2 = dx * dx + dy * dy;
        int level = -1;
        if (9 * d2 <= r * r) {
          level = 15;
        } else if (9 * d2 <= 4 * r * r) {
          level = 13;
        } else if (d2 <= r * r) {
          level = 9;
        } else if (d2 <= r * r + 2 * r) {
          level = 5;
        }
        if (y < 4 && level < profiles[f][x]) level = profiles[f][x] - 2;
        if (level >= 0) muzzle.Put(x, y, Shade(Ramp::Ice, level));
      }
    }
  }
}

void DrawShotSparks(IndexedImage& sheet) {
  // A white-hot flash that bursts into eight streaks and cools to red.
  for (int f = 0; f < 5; ++f) {
    Cell cell = ShapeCellOf(sheet, shape::kShotSparkFirst + f);
    const int flash[5] = {7, 5, 3, 0, 0};
    if (flash[f] > 0) {
      const int r = flash[f];
      const int limits[4] = {r * r / 4, r * r / 2, r * r, r * r + r};
      const int levels[4] = {15, 14, 12, 9};
      DrawGlow(cell, Ramp::Gold, 16, 16, limits, levels);
    }
    const Ramp ramp = f < 2 ? Ramp::Gold : Ramp::Fire;
    const int tip = 14 - 2 * f;
    DrawRays(cell, ramp, 8, 16 * f, 7 + 4 * f, 2, tip - 3, tip);
    // The streaks' roots fade out from the inside as the spark spreads.
    const int hollow = f * 3;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        const int dx = HalfOffset(x, 16);
        const int dy = HalfOffset(y, 16);
        if (flash[f] == 0 && dx * dx + dy * dy < hollow * hollow) cell.Put(x, y, 0);
      }
    }
  }
}

void DrawLaserSparks(IndexedImage& sheet) {
  // A blue-white cross that flares and shrinks.
  const int lengths[3] = {11, 15, 9};
  const int cores[3] = {5, 6, 3};
  for (int f = 0; f < 3; ++f) {
    Cell cell = ShapeCellOf(sheet, shape::kLaserSparkFirst + f);
    const int r = cores[f];
    const int limits[4] = {r * r / 4, r * r / 2, r * r, r * r + 2 * r};
    const int levels[4] = {15, 14, 12, 8};
    DrawGlow(cell, Ramp::Ice, 16, 16, limits, levels);
    DrawRays(cell, Ramp::Ice, 4, 0, lengths[f], 3, 8, 15);
    DrawRays(cell, Ramp::Ice, 4, 128, lengths[f] / 2, 2, 7, 13);
  }
}

void DrawBullets(IndexedImage& sheet) {
  // A pink ball with a white core and a lit upper-left; the rim pulses.
  const int rimLevels[4] = {6, 8, 10, 12};
  for (int f = 0; f < 4; ++f) {
    Cell cell = ShapeCellOf(sheet, shape::kBulletFirst + f);
    const int limits[4] = {3, 10, 26, 50};
    const int levels[4] = {15, 13, 11, rimLevels[f]};
    DrawGlow(cell, Ramp::Pink, 8, 8, limits, levels);
    cell.Put(2, 2, Shade(Ramp::Pink, 15));
  }
}

void DrawVanishingBullets(IndexedImage& sheet) {
  // The ball flashes white, then opens into a ring that fades to violet.
  for (int f = 0; f < 5; ++f) {
    Cell cell = ShapeCellOf(sheet, shape::kVanishFirst + f);
    if (f == 0) {
      const int limits[4] = {5, 12, 26, 50};
      const int levels[4] = {15, 15, 13, 10};
      DrawGlow(cell, Ramp::Pink, 8, 8, limits, levels);
      continue;
    }
    const int inner = 2 * f - 1;  // half pixels
    const int outer = inner + 3;
    const Ramp ramp = f < 3 ? Ramp::Pink : Ramp::Violet;
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        const int dx = HalfOffset(x, 8);
        const int dy = HalfOffset(y, 8);
        const int d2 = dx * dx + dy * dy;
        if (d2 < inner * inner || d2 > outer * outer) continue;
        // Later frames break the ring into dots.
        if (f >= 3 && ((x + y + f) % 2) == 1) continue;
        cell.Put(x, y, Shade(ramp, 15 - 2 * f));
      }
    }
  }
}

void DrawBurstParticles(IndexedImage& sheet) {
  // A fiery four-pointed spark that turns a quarter round over its eight
  // frames, so the looping animation has no seam.
  for (int f = 0; f < 8; ++f) {
    Cell cell = ShapeCellOf(sheet, shape::kBurstFirst + f);
    const int core = f % 2 == 0 ? 15 : 14;
    const int limits[4] = {2, 8, 16, 26};
    const int levels[4] = {core, 13, 11, 8};
    DrawGlow(cell, Ramp::Fire, 16, 16, limits, levels);
    DrawRays(cell, Ramp::Fire, 4, 32 * f, 13, 3, 5, 12);
    DrawRays(cell, Ramp::Fire, 4, 32 * f + 128, 7, 2, 5, 10);
  }
}

}  // namespace assetgen
