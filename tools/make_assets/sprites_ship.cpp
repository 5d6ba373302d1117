// The player's ship, its shield, the life icon and the menu cursor.
#include "game/shape_table.h"
#include "tools/make_assets/int_math.h"
#include "tools/make_assets/palette.h"
#include "tools/make_assets/shading.h"
#include "tools/make_assets/sprites.h"

namespace assetgen {

Cell ShapeCellOf(IndexedImage& image, int s) {
  const TShapeCell r = ShapeCell(s);
  return Cell(image, r.Left, r.Top, r.Width, r.Height);
}

namespace {

const std::uint8_t kOutline = Shade(Ramp::Steel, 0);

// Hull in steel ('a'), wing panels in blue ('b').
const std::vector<std::string_view> kShipBody = {
    "................",
    ".......aa.......",
    ".......aa.......",
    "......aaaa......",
    "......aaaa......",
    "..b...aaaa...b..",
    "..b..aaaaaa..b..",
    "..bb.aaaaaa.bb..",
    ".bbbbaaaaaabbbb.",
    ".bbbbbaaaabbbbb.",
    ".bbbbbaaaabbbbb.",
    ".bb.baaaaaab.bb.",
    ".b..aaaaaaaa..b.",
    "....aa....aa....",
    "....aa....aa....",
    "................",
};

// Details laid over the shaded hull: canopy, spine, gun tips, engines.
const std::vector<std::string_view> kShipDetail = {
    "................",
    "................",
    "................",
    ".......Wc.......",
    ".......Cc.......",
    "..R....cd....R..",
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    "....Ff....fF....",
};

}  // namespace

void DrawPlayerShip(IndexedImage& sheet) {
  Cell cell = ShapeCellOf(sheet, shape::kPlayer);
  DrawBevelled(cell, 0, 0, kShipBody, {{'a', Ramp::Steel}, {'b', Ramp::Blue}}, BevelLevels{}, kOutline);
  const Legend detail{{{'W', Shade(Ramp::Cyan, 15)},
                       {'C', Shade(Ramp::Cyan, 12)},
                       {'c', Shade(Ramp::Cyan, 9)},
                       {'d', Shade(Ramp::Cyan, 5)},
                       {'s', Shade(Ramp::Steel, 14)},
                       {'R', Shade(Ramp::Red, 12)},
                       {'F', Shade(Ramp::Fire, 14)},
                       {'f', Shade(Ramp::Fire, 10)}}};
  DrawPicture(cell, 0, 0, kShipDetail, detail);
}

void DrawShieldRings(IndexedImage& sheet) {
  // Strongest first: a thick bright ring that thins, darkens and breaks up
  // as the shield runs out.
  struct Ring {
    int innerHalfPx;  // radii in half pixels
    int outerHalfPx;
    Ramp ramp;
    int brightness;   // level at the lit side
    int gaps;         // dashes round the circle; 0 for a closed ring
  };
  const Ring rings[5] = {
      {11, 16, Ramp::Cyan, 15, 0},
      {12, 16, Ramp::Cyan, 14, 0},
      {12, 16, Ramp::Teal, 14, 10},
      {13, 16, Ramp::Blue, 14, 8},
      {13, 16, Ramp::Violet, 13, 6},
  };
  for (int k = 0; k < 5; ++k) {
    const Ring& ring = rings[k];
    Cell cell = ShapeCellOf(sheet, shape::kShieldFirst + k);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        const int dx = 2 * x + 1 - 16;
        const int dy = 2 * y + 1 - 16;
        const int d2 = dx * dx + dy * dy;
        if (d2 < ring.innerHalfPx * ring.innerHalfPx || d2 > ring.outerHalfPx * ring.outerHalfPx) continue;
        const int angle = Atan2Turn(dy, dx);
        if (ring.gaps != 0 && ((angle * ring.gaps * 3) / kFullTurn) % 3 == 2) continue;
        // Brightest towards the upper left (angle 640 = 225 degrees).
        const int facing = CosQ15(angle - 640);  // -32768..32768
        const int rim = d2 >= (ring.outerHalfPx - 2) * (ring.outerHalfPx - 2) ? 0 : -2;
        const int level = ring.brightness - 3 + (facing * 3) / 32768 + rim;
        cell.Put(x, y, Shade(ring.ramp, level));
      }
    }
  }
}

void DrawLifeIcon(Cell& cell, int x, int y) {
  const std::vector<std::string_view> body = {
      ".....aa.....",
      ".....aa.....",
      "....aaaa....",
      "....aaaa....",
      "...abaaba...",
      "..abbaabba..",
      ".abbbaabbba.",
      ".abbbaabbba.",
      ".aa.aaaa.aa.",
      "....a..a....",
  };
  DrawBevelled(cell, x, y, body, {{'a', Ramp::Steel}, {'b', Ramp::Blue}}, BevelLevels{}, kOutline);
  cell.Put(x + 5, y + 2, Shade(Ramp::Cyan, 15));
  cell.Put(x + 6, y + 2, Shade(Ramp::Cyan, 9));
  cell.Put(x + 4, y + 10, Shade(Ramp::Fire, 13));
  cell.Put(x + 7, y + 10, Shade(Ramp::Fire, 13));
}

void DrawMenuCursor(IndexedImage& sheet) {
  Cell cell = ShapeCellOf(sheet, shape::kCursor);
  const std::vector<std::string_view> arrow = {
      "aa..........",
      "aaaa........",
      ".aaaaa......",
      ".aaaaaaa....",
      "..aaaaaaaa..",
      "..aaaaaaaaaa",
      "..aaaaaaaa..",
      ".aaaaaaa....",
      ".aaaaa......",
      "aaaa........",
      "aa..........",
  };
  DrawBevelled(cell, 2, 2, arrow, {{'a', Ramp::Gold}}, BevelLevels{15, 14, 6, 12, 9}, Shade(Ramp::Earth, 0));
}

}  // namespace assetgen
