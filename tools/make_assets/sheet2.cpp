// The title logo: "ZORNACK" in slanted chrome capitals with a dark
// extruded depth, outlined, over a laser streak.
#include <cstdlib>

#include "game/shape_table.h"
#include "tools/make_assets/palette.h"
#include "tools/make_assets/sheets.h"
#include "tools/make_assets/sprites.h"

namespace assetgen {
namespace {

constexpr int kLetterCols = 7;
constexpr int kLetterRows = 9;
constexpr int kScaleX = 4;
constexpr int kScaleY = 6;
constexpr int kLetterWidth = kLetterCols * kScaleX;   // 28
constexpr int kLetterHeight = kLetterRows * kScaleY;  // 54
constexpr int kLetterGap = 5;
constexpr int kSlant = 4;   // one pixel to the right per this many rows up
constexpr int kDepth = 3;   // extrusion towards the lower right
constexpr int kTop = 10;

constexpr std::string_view kLetters[7][kLetterRows] = {
    {"#######", "#######", "....###", "...###.", "..###..", ".###...", "###....", "#######", "#######"},
    {".#####.", "#######", "##...##", "##...##", "##...##", "##...##", "##...##", "#######", ".#####."},
    {"######.", "#######", "##...##", "##...##", "######.", "#####..", "##.###.", "##..###", "##...##"},
    {"##...##", "###..##", "####.##", "#######", "##.####", "##..###", "##...##", "##...##", "##...##"},
    {"..###..", ".#####.", "###.###", "##...##", "##...##", "#######", "#######", "##...##", "##...##"},
    {".######", "#######", "###....", "##.....", "##.....", "##.....", "###....", "#######", ".######"},
    {"##...##", "##..###", "##.###.", "#####..", "####...", "#####..", "##.###.", "##..###", "##...##"},
};

struct LogoMask {
  Mask face;
  Mask depth;
};

LogoMask BuildMasks() {
  LogoMask m{Mask(256, 96), Mask(256, 96)};
  const int textWidth = 7 * kLetterWidth + 6 * kLetterGap + kLetterHeight / kSlant + kDepth;
  const int left = (256 - textWidth) / 2;
  for (int letter = 0; letter < 7; ++letter) {
    const int x0 = left + letter * (kLetterWidth + kLetterGap);
    for (int y = 0; y < kLetterHeight; ++y) {
      const int shift = (kLetterHeight - 1 - y) / kSlant;
      for (int x = 0; x < kLetterWidth; ++x) {
        if (kLetters[letter][y / kScaleY][x / kScaleX] == '#') m.face.SetAt(x0 + x + shift, kTop + y, true);
      }
    }
  }
  for (int y = 0; y < 96; ++y) {
    for (int x = 0; x < 256; ++x) {
      if (m.face.At(x, y)) continue;
      for (int d = 1; d <= kDepth; ++d) {
        if (m.face.At(x - d, y - d)) {
          m.depth.SetAt(x, y, true);
          break;
        }
      }
    }
  }
  return m;
}

// Chrome: a bright sky above the horizon line, warm ground below it.
std::uint8_t ChromeAt(int row) {
  const int horizon = kLetterHeight * 11 / 20;
  if (row < horizon - 1) return Shade(Ramp::Sky, 15 - (row * 6) / horizon);
  if (row < horizon + 1) return Shade(Ramp::Sky, 2);
  const int below = row - horizon - 1;
  const int span = kLetterHeight - horizon - 1;
  return Shade(Ramp::Earth, 7 + (below * 8) / span);
}

void DrawStreak(Cell& cell) {
  // A laser line under the letters, brightest in the middle.
  const int y = kTop + kLetterHeight + kDepth + 8;
  for (int x = 8; x < 248; ++x) {
    const int fromCentre = std::abs(2 * x + 1 - 256);  // 0..239
    const int level = 15 - (fromCentre * 12) / 240;
    cell.Put(x, y, Shade(Ramp::Ice, level));
    if (fromCentre < 160) cell.Put(x, y + 1, Shade(Ramp::Ice, level - 5));
    if (fromCentre < 160) cell.Put(x, y - 1, Shade(Ramp::Ice, level - 5));
  }
}

void DrawGlint(Cell& cell, int cx, int cy, int length) {
  for (int d = -length; d <= length; ++d) {
    const int level = 15 - (std::abs(d) * 10) / length;
    cell.Put(cx + d, cy, Shade(Ramp::Ice, level));
    cell.Put(cx, cy + d, Shade(Ramp::Ice, level));
  }
  cell.Put(cx - 1, cy - 1, Shade(Ramp::Ice, 12));
  cell.Put(cx + 1, cy - 1, Shade(Ramp::Ice, 12));
  cell.Put(cx - 1, cy + 1, Shade(Ramp::Ice, 12));
  cell.Put(cx + 1, cy + 1, Shade(Ramp::Ice, 12));
}

}  // namespace

IndexedImage MakeSheet2() {
  IndexedImage sheet(kSheetSize, kSheetSize);
  Cell cell = ShapeCellOf(sheet, shape::kLogo);
  const LogoMask m = BuildMasks();
  DrawStreak(cell);
  const std::uint8_t outline = Shade(Ramp::Steel, 0);
  for (int y = 0; y < 96; ++y) {
    for (int x = 0; x < 256; ++x) {
      if (m.face.At(x, y)) {
        const int row = y - kTop;
        std::uint8_t c = ChromeAt(row);
        // Only horizontal edges are lit or shaded: the slant's steps would
        // turn lit vertical edges into dashes.
        if (!m.face.At(x, y - 1)) {
          c = Shade(Ramp::Steel, 15);
        } else if (!m.face.At(x, y + 1)) {
          c = Shade(Ramp::Earth, 4);
        }
        cell.Put(x, y, c);
      } else if (m.depth.At(x, y)) {
        // Depth darkens away from the face.
        int d = 1;
        while (d < kDepth && !m.face.At(x - d, y - d)) ++d;
        cell.Put(x, y, Shade(Ramp::Violet, 7 - d));
      } else {
        bool touches = false;
        for (int dy = -1; dy <= 1 && !touches; ++dy) {
          for (int dx = -1; dx <= 1 && !touches; ++dx) {
            touches = m.face.At(x + dx, y + dy) || m.depth.At(x + dx, y + dy);
          }
        }
        if (touches) cell.Put(x, y, outline);
      }
    }
  }
  DrawGlint(cell, 28, kTop + 2, 7);
  DrawGlint(cell, 214, kTop + kLetterHeight - 4, 5);
  return sheet;
}

}  // namespace assetgen
