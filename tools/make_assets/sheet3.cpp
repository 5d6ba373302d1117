// The text sheet: the 16 x 16 font, the score's large digits, the two sets
// of small digits with the multiplier sign and the combo label.
#include "game/shape_table.h"
#include "tools/make_assets/glyphs.h"
#include "tools/make_assets/palette.h"
#include "tools/make_assets/shading.h"
#include "tools/make_assets/sheets.h"
#include "tools/make_assets/sprites.h"

namespace assetgen {
namespace {

// Widens every stroke by one pixel to the right.
Mask Embolden(const Mask& m) {
  Mask bold(m.width + 1, m.height);
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < bold.width; ++x) bold.SetAt(x, y, m.At(x, y) || m.At(x - 1, y));
  }
  return bold;
}

// Draws MASK at (x, y) with a one-pixel shadow to the lower right; each row
// takes its colour from ROW_COLOUR, and pixels lit from above one brighter.
template <typename RowColour>
void DrawShadowed(Cell& cell, int x, int y, const Mask& mask, std::uint8_t shadow, RowColour rowColour) {
  for (int py = 0; py < mask.height; ++py) {
    for (int px = 0; px < mask.width; ++px) {
      if (!mask.At(px, py) && mask.At(px - 1, py - 1)) cell.Put(x + px, y + py, shadow);
    }
  }
  for (int py = 0; py < mask.height; ++py) {
    for (int px = 0; px < mask.width; ++px) {
      if (!mask.At(px, py)) continue;
      const bool litFromAbove = !mask.At(px, py - 1);
      cell.Put(x + px, y + py, rowColour(py, litFromAbove));
    }
  }
}

// Font colours: white chrome above the middle, sky blue below it.
std::uint8_t FontColour(int row, bool lit) {
  static constexpr std::uint8_t kRows[16] = {
      Shade(Ramp::Steel, 15), Shade(Ramp::Steel, 15), Shade(Ramp::Steel, 14), Shade(Ramp::Steel, 14),
      Shade(Ramp::Steel, 13), Shade(Ramp::Steel, 13), Shade(Ramp::Steel, 12), Shade(Ramp::Sky, 12),
      Shade(Ramp::Sky, 12),   Shade(Ramp::Sky, 11),   Shade(Ramp::Sky, 11),   Shade(Ramp::Sky, 10),
      Shade(Ramp::Sky, 10),   Shade(Ramp::Sky, 9),    Shade(Ramp::Sky, 9),    Shade(Ramp::Sky, 8),
  };
  const std::uint8_t c = kRows[row < 0 ? 0 : (row > 15 ? 15 : row)];
  return lit && row > 0 ? static_cast<std::uint8_t>(c + 1 > Shade(Ramp::Sky, 15) ? c : c + 1) : c;
}

void DrawFont(IndexedImage& sheet) {
  const std::uint8_t shadow = Shade(Ramp::Steel, 1);
  for (int c = 32; c <= 127; ++c) {
    Cell cell = ShapeCellOf(sheet, shape::kFontFirst + (c - 32));
    if (c == '{') {
      // The status display draws the spare lives with this glyph.
      DrawLifeIcon(cell, 2, 3);
      continue;
    }
    const Mask glyph = Embolden(Scale2x(SmallGlyph(c)));
    DrawShadowed(cell, 2, 0, glyph, shadow, FontColour);
  }
}

void DrawLargeDigits(IndexedImage& sheet) {
  for (int d = 0; d < 10; ++d) {
    Cell cell = ShapeCellOf(sheet, shape::kLargeDigitFirst + d);
    DrawBevelledMask(cell, 1, 1, Double(LargeDigit(d)), Ramp::Gold, BevelLevels{15, 15, 7, 14, 9},
                     Shade(Ramp::Earth, 0));
  }
}

// Small digits are the font's 5 x 7 shapes at their own size.
void DrawSmallGlyph(Cell& cell, int x, int c, Ramp ramp) {
  const Mask glyph = SmallGlyph(c);
  Mask capitals(5, 7);
  for (int y = 0; y < 7; ++y) {
    for (int px = 0; px < 5; ++px) capitals.SetAt(px, y, glyph.At(px, y));
  }
  DrawShadowed(cell, x, 0, capitals, Shade(Ramp::Steel, 1), [ramp](int row, bool lit) {
    return Shade(ramp, 15 - row + (lit ? 1 : 0));
  });
}

void DrawSmallDigits(IndexedImage& sheet) {
  for (int d = 0; d < 10; ++d) {
    Cell multiplier = ShapeCellOf(sheet, shape::kSmallDigitFirst + d);
    DrawSmallGlyph(multiplier, 1, '0' + d, Ramp::Cyan);
    Cell combo = ShapeCellOf(sheet, shape::kComboDigitFirst + d);
    DrawSmallGlyph(combo, 1, '0' + d, Ramp::Green);
  }
  // The separator in front of the multiplier: a times sign.
  Cell sign = ShapeCellOf(sheet, shape::kSeparator);
  const std::vector<std::string_view> times = {
      ".......",
      ".#...#.",
      "..#.#..",
      "...#...",
      "..#.#..",
      ".#...#.",
  };
  DrawShadowed(sign, 0, 0, Mask::FromRows(times), Shade(Ramp::Steel, 1),
               [](int row, bool) { return Shade(Ramp::Cyan, 15 - row); });
  // The label after the combo count.
  Cell label = ShapeCellOf(sheet, shape::kComboLabel);
  const char* word = "COMBO";
  for (int i = 0; i < 5; ++i) DrawSmallGlyph(label, 4 + 7 * i, word[i], Ramp::Green);
}

}  // namespace

IndexedImage MakeSheet3() {
  IndexedImage sheet(kSheetSize, kSheetSize);
  DrawFont(sheet);
  DrawLargeDigits(sheet);
  DrawSmallDigits(sheet);
  return sheet;
}

}  // namespace assetgen
