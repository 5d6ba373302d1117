// The shape table: where every picture the game shows lies on its three
// 256 x 256 sheets (cg1.bmp, cg2.bmp, cg3.bmp). The game registers these
// cells in its sprite table, the asset generator draws each picture into its
// cell, and the tests check the sheets against them: this is the one place
// the cells are written down.
#pragma once

#include <cstdint>

// Shape numbers that code names: the first of each run.
namespace shape {
inline constexpr std::int32_t kPlayer = 0;
inline constexpr std::int32_t kShieldFirst = 1;       // 1-5, strongest first
inline constexpr std::int32_t kShotFirst = 6;         // 6-9
inline constexpr std::int32_t kLaserBeamFirst = 10;   // 10-13
inline constexpr std::int32_t kLaserMuzzleFirst = 14; // 14-17
inline constexpr std::int32_t kShotSparkFirst = 20;   // 20-24
inline constexpr std::int32_t kLaserSparkFirst = 25;  // 25-27
inline constexpr std::int32_t kBulletFirst = 30;      // 30-33
inline constexpr std::int32_t kVanishFirst = 34;      // 34-38
inline constexpr std::int32_t kLargeDigitFirst = 50;  // 50-59
inline constexpr std::int32_t kSmallDigitFirst = 60;  // 60-69, then the separator
inline constexpr std::int32_t kSeparator = 70;
inline constexpr std::int32_t kFontFirst = 71;        // character codes 32-127
inline constexpr std::int32_t kCursor = 167;
inline constexpr std::int32_t kLogo = 168;
inline constexpr std::int32_t kBurstFirst = 169;      // 169-176
inline constexpr std::int32_t kComboDigitFirst = 180; // 180-189
inline constexpr std::int32_t kComboLabel = 190;
inline constexpr std::int32_t kBlockFirst = 200;      // 200 + kind, kinds 0-15 (size * 4 + colour)
// Entries in the sprite table's shape list; numbers without a cell stay empty.
inline constexpr std::int32_t kCount = 400;
}  // namespace shape

// A run of shapes in equal cells on one sheet, laid out row by row.
struct TShapeRange {
  std::int32_t First, Last;    // shape numbers, both included
  std::int32_t Sheet;          // 1, 2 or 3
  std::int32_t Left, Top;      // the first cell's top-left corner, pixels
  std::int32_t Width, Height;  // every cell's size, pixels
  std::int32_t Columns = 0;    // cells in a row before the next row; 0: one row
};

struct TShapeCell {
  std::int32_t Sheet = 0;  // 0: no picture has this number
  std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
};

inline constexpr TShapeRange kShapeRanges[] = {
    {shape::kPlayer, shape::kPlayer, 1, 0, 0, 16, 16},
    {shape::kShieldFirst, 5, 1, 16, 0, 16, 16},
    {shape::kShotFirst, 9, 1, 0, 16, 8, 16},
    {shape::kLaserBeamFirst, 17, 1, 32, 16, 8, 8, 4},  // beam frames, then muzzle frames below
    {shape::kShotSparkFirst, 24, 1, 96, 0, 16, 16},
    {shape::kLaserSparkFirst, 27, 1, 176, 0, 16, 16},
    {shape::kBulletFirst, 33, 1, 32, 32, 8, 8},
    {shape::kVanishFirst, 38, 1, 64, 16, 8, 8},
    {shape::kLargeDigitFirst, 59, 3, 0, 96, 16, 32},
    {shape::kSmallDigitFirst, shape::kSeparator, 3, 0, 128, 8, 8},
    {shape::kFontFirst, 166, 3, 0, 0, 16, 16, 16},
    {shape::kCursor, shape::kCursor, 1, 0, 112, 16, 16},
    {shape::kLogo, shape::kLogo, 2, 0, 0, 256, 96},
    {shape::kBurstFirst, 176, 1, 112, 16, 16, 16},
    {shape::kComboDigitFirst, 189, 3, 0, 136, 8, 8},
    {shape::kComboLabel, shape::kComboLabel, 3, 80, 136, 40, 8},
    {shape::kBlockFirst + 0, 203, 1, 0, 32, 8, 8},     // size 8, four colours
    {shape::kBlockFirst + 4, 207, 1, 0, 40, 16, 16},   // size 16
    {shape::kBlockFirst + 8, 211, 1, 0, 56, 24, 24},   // size 24
    {shape::kBlockFirst + 12, 215, 1, 0, 80, 32, 32},  // size 32
};

// The cell of shape S of RANGE (S within it).
constexpr TShapeCell ShapeCellIn(const TShapeRange& range, std::int32_t s) {
  const std::int32_t i = s - range.First;
  const std::int32_t column = range.Columns ? i % range.Columns : i;
  const std::int32_t row = range.Columns ? i / range.Columns : 0;
  return {range.Sheet, range.Left + column * range.Width, range.Top + row * range.Height, range.Width, range.Height};
}

// The cell of shape S; Sheet 0 for the numbers without a picture.
constexpr TShapeCell ShapeCell(std::int32_t s) {
  for (const TShapeRange& range : kShapeRanges) {
    if (s >= range.First && s <= range.Last) return ShapeCellIn(range, s);
  }
  return {};
}
