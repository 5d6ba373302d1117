// The three sheets against the game's shape table and display modes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "game/shape_table.h"
#include "tests/assets/asset_readers.h"

namespace assettest {
namespace {

struct Rect {
  int sheet;  // 1-3
  int left, top, width, height;
};

Rect RectOf(const TShapeCell& c) { return Rect{c.Sheet, c.Left, c.Top, c.Width, c.Height}; }

struct Shape {
  int number;
  Rect rect;
};

std::vector<Shape> AllShapes() {
  std::vector<Shape> shapes;
  for (const TShapeRange& r : kShapeRanges) {
    for (int s = r.First; s <= r.Last; ++s) shapes.push_back({s, RectOf(ShapeCellIn(r, s))});
  }
  return shapes;
}

constexpr int kSpaceGlyph = 71;  // character code 32: blank by nature

class Sheets : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (int i = 0; i < 3; ++i) {
      std::string why;
      const std::string name = "cg" + std::to_string(i + 1) + ".bmp";
      sheets_[i] = ParseBitmap(ReadFileBytes(CommittedPath(name)), why);
      ASSERT_EQ(sheets_[i].width, 256) << name << ": " << why;
      ASSERT_EQ(sheets_[i].height, 256) << name;
    }
  }
  static const Bitmap& SheetOf(int n) { return sheets_[n - 1]; }
  static int OpaqueCount(const Rect& r) {
    int count = 0;
    for (int y = r.top; y < r.top + r.height; ++y) {
      for (int x = r.left; x < r.left + r.width; ++x) count += SheetOf(r.sheet).At(x, y) != 0 ? 1 : 0;
    }
    return count;
  }
  static Bitmap sheets_[3];
};

Bitmap Sheets::sheets_[3];

TEST_F(Sheets, BlackIsIndexZeroAndTheTopLeftPixelOfEverySheet) {
  for (int n = 1; n <= 3; ++n) {
    const Bitmap& sheet = SheetOf(n);
    EXPECT_EQ(sheet.palette[0], (Colour{0, 0, 0})) << "cg" << n;
    EXPECT_EQ(sheet.palette[255], (Colour{255, 255, 255})) << "cg" << n;
    EXPECT_EQ(sheet.At(0, 0), 0) << "cg" << n << ": the top-left pixel sets the colour key";
  }
}

TEST_F(Sheets, EveryIndexOfCg2AndCg3MeansTheSameColourInCg1sTable) {
  // In 8-bit full screen cg2 and cg3 are shown as raw indices through
  // cg1's palette.
  const Bitmap& cg1 = SheetOf(1);
  for (int n = 2; n <= 3; ++n) {
    const Bitmap& sheet = SheetOf(n);
    std::vector<bool> used(256, false);
    for (std::uint8_t p : sheet.pixels) used[p] = true;
    for (int i = 0; i < 256; ++i) {
      if (!used[i]) continue;
      EXPECT_EQ(sheet.palette[i], cg1.palette[i]) << "cg" << n << " index " << i;
    }
  }
}

TEST_F(Sheets, OpaquePixelsKeepTheirColourInEveryDisplayMode) {
  for (int n = 1; n <= 3; ++n) {
    const Bitmap& sheet = SheetOf(n);
    std::vector<bool> used(256, false);
    for (std::uint8_t p : sheet.pixels) used[p] = true;
    for (int i = 1; i < 256; ++i) {
      if (!used[i]) continue;
      const Colour c = sheet.palette[i];
      // Windowed 8-bit mode replaces entries 0-9 and 246-255 with the
      // system's colours.
      EXPECT_TRUE(i >= 10 && i <= 245) << "cg" << n << " uses index " << i;
      // A 16-bit display truncates to 5-6-5 or 5-5-5; black there is the key.
      const int rgb565 = ((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3);
      const int rgb555 = ((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3);
      EXPECT_NE(rgb565, 0) << "cg" << n << " index " << i << " turns into the colour key in 5-6-5";
      EXPECT_NE(rgb555, 0) << "cg" << n << " index " << i << " turns into the colour key in 5-5-5";
    }
  }
}

TEST_F(Sheets, NothingIsDrawnOutsideTheShapeCells) {
  for (int n = 1; n <= 3; ++n) {
    std::vector<bool> inCell(256 * 256, false);
    for (const Shape& s : AllShapes()) {
      if (s.rect.sheet != n) continue;
      for (int y = s.rect.top; y < s.rect.top + s.rect.height; ++y) {
        for (int x = s.rect.left; x < s.rect.left + s.rect.width; ++x) inCell[y * 256 + x] = true;
      }
    }
    int stray = 0;
    int firstX = -1, firstY = -1;
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        if (inCell[y * 256 + x] || SheetOf(n).At(x, y) == 0) continue;
        if (stray++ == 0) {
          firstX = x;
          firstY = y;
        }
      }
    }
    EXPECT_EQ(stray, 0) << "cg" << n << ": first stray pixel at (" << firstX << ", " << firstY << ")";
  }
}

TEST_F(Sheets, EveryShapeShowsSomething) {
  for (const Shape& s : AllShapes()) {
    if (s.number == kSpaceGlyph) {
      EXPECT_EQ(OpaqueCount(s.rect), 0) << "the blank glyph has pixels";
    } else {
      EXPECT_GT(OpaqueCount(s.rect), 0) << "shape " << s.number << " is empty";
    }
  }
}

TEST_F(Sheets, FontGlyphsLeaveTheirSideColumnsClear) {
  // Texts are runs of 16-pixel cells side by side: a glyph touching its
  // cell's side would run into its neighbour.
  for (const Shape& s : AllShapes()) {
    if (s.number < 71 || s.number > 166) continue;
    for (int y = 0; y < 16; ++y) {
      EXPECT_EQ(SheetOf(3).At(s.rect.left, s.rect.top + y), 0) << "glyph of code " << (s.number - 71 + 32);
      EXPECT_EQ(SheetOf(3).At(s.rect.left + 15, s.rect.top + y), 0) << "glyph of code " << (s.number - 71 + 32);
    }
  }
}

TEST_F(Sheets, BlocksFillTheirWholeCell) {
  // A block collides as its full square, so it must look that size.
  for (const Shape& s : AllShapes()) {
    if (s.number >= 200 && s.number <= 215) {
      EXPECT_EQ(OpaqueCount(s.rect), s.rect.width * s.rect.height) << "block shape " << s.number;
    }
  }
}

// Hue in degrees of the mean colour of a rectangle's opaque pixels.
double MeanHue(const Bitmap& sheet, const Rect& r) {
  double sr = 0, sg = 0, sb = 0;
  for (int y = r.top; y < r.top + r.height; ++y) {
    for (int x = r.left; x < r.left + r.width; ++x) {
      const Colour c = sheet.palette[sheet.At(x, y)];
      sr += c.r, sg += c.g, sb += c.b;
    }
  }
  return std::fmod(std::atan2(std::sqrt(3.0) * (sg - sb), 2 * sr - sg - sb) * 180.0 / std::numbers::pi + 360.0, 360.0);
}

TEST_F(Sheets, TheFourBlockColoursAreClearlyDifferentHues) {
  for (int size = 0; size < 4; ++size) {
    double hues[4];
    for (int colour = 0; colour < 4; ++colour) {
      const int shape = 200 + 4 * size + colour;
      for (const Shape& s : AllShapes()) {
        if (s.number == shape) hues[colour] = MeanHue(SheetOf(1), s.rect);
      }
    }
    for (int a = 0; a < 4; ++a) {
      for (int b = a + 1; b < 4; ++b) {
        double d = std::fabs(hues[a] - hues[b]);
        d = std::min(d, 360.0 - d);
        EXPECT_GE(d, 40.0) << "size " << 8 * (size + 1) << ": colours " << a << " and " << b;
      }
    }
  }
}

TEST_F(Sheets, LaserBeamFramesStretchWithoutBands) {
  // The beam is stretched from the top of the screen down to the ship, so
  // every column of a beam frame is one colour.
  for (int shape = 10; shape <= 13; ++shape) {
    const Rect r = RectOf(ShapeCell(shape));
    for (int x = r.left; x < r.left + r.width; ++x) {
      for (int y = r.top + 1; y < r.top + r.height; ++y) {
        EXPECT_EQ(SheetOf(1).At(x, y), SheetOf(1).At(x, r.top)) << "beam frame " << shape << " column " << x - r.left;
      }
    }
  }
}

}  // namespace
}  // namespace assettest
