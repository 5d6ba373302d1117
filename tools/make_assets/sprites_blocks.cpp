// The blocks: four sizes of bevelled tiles in four hues. Each colour carries
// an emblem of the bullet pattern its smallest blocks release (an arrow for
// the aimed line, a ring, a spiral, a spray of dots), so the bigger blocks
// tell the player what is coming even without colour.
#include <string_view>
#include <vector>

#include "game/shape_table.h"
#include "tools/make_assets/palette.h"
#include "tools/make_assets/sprites.h"

namespace assetgen {
namespace {

constexpr Ramp kBlockRamps[4] = {Ramp::Red, Ramp::Blue, Ramp::Green, Ramp::Gold};

// Emblems in two sizes: 8 x 8 for the 16-pixel blocks (and doubled for
// the 32-pixel ones), 12 x 12 for the 24-pixel ones.
const std::vector<std::string_view> kSmallEmblems[4] = {
    {"..####..", "..####..", "..####..", "########", ".######.", "..####..", "...##...", "........"},
    {"..####..", ".##..##.", "##....##", "#......#", "#......#", "##....##", ".##..##.", "..####.."},
    {"########", ".......#", ".#####.#", ".#...#.#", ".#.#.#.#", ".#.###.#", ".#.....#", ".#######"},
    {"...##...", "...##...", "........", ".##..##.", ".##..##.", "........", "##.##.##", "##.##.##"},
};

const std::vector<std::string_view> kLargeEmblems[4] = {
    {
        // aimed line: an arrow pointing down
        "....####....",
        "....####....",
        "....####....",
        "....####....",
        "....####....",
        "############",
        ".##########.",
        "..########..",
        "...######...",
        "....####....",
        ".....##.....",
        "............",
    },
    {
        // ring
        "....####....",
        "..########..",
        ".###....###.",
        ".##......##.",
        "##........##",
        "##........##",
        "##........##",
        "##........##",
        ".##......##.",
        ".###....###.",
        "..########..",
        "....####....",
    },
    {
        // spiral
        "############",
        "...........#",
        ".#########.#",
        ".#.......#.#",
        ".#.#####.#.#",
        ".#.#...#.#.#",
        ".#.#.#.#.#.#",
        ".#.#.###.#.#",
        ".#.#.....#.#",
        ".#.#######.#",
        ".#.........#",
        ".###########",
    },
    {
        // spray: a widening fan of dots
        ".....##.....",
        ".....##.....",
        "............",
        "...##..##...",
        "...##..##...",
        "............",
        ".##..##..##.",
        ".##..##..##.",
        "............",
        "##.##..##.##",
        "##.##..##.##",
        "............",
    },
};

void DrawBlock(Cell& cell, int size, int colour) {
  const Ramp ramp = kBlockRamps[colour];
  const int bevel = size == 8 ? 1 : (size == 16 ? 2 : 3);
  const int last = size - 1;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      int level;
      if (x == 0 || y == 0 || x == last || y == last) {
        level = 1;  // the dark rim that separates touching blocks
      } else {
        const int fromLeft = x - 1;
        const int fromTop = y - 1;
        const int fromRight = last - 1 - x;
        const int fromBottom = last - 1 - y;
        const bool topOrLeft = fromTop < bevel || fromLeft < bevel;
        const bool bottomOrRight = fromBottom < bevel || fromRight < bevel;
        if (topOrLeft && bottomOrRight) {
          // The two bevel corners are split along their diagonal.
          level = (fromTop + fromRight < fromBottom + fromLeft) == (fromTop < bevel) ? 13 : 5;
          if (fromTop < bevel && fromLeft < bevel) level = 15;
          if (fromBottom < bevel && fromRight < bevel) level = 4;
        } else if (fromTop < bevel) {
          level = fromTop == 0 ? 15 : 13;
        } else if (fromLeft < bevel) {
          level = fromLeft == 0 ? 14 : 12;
        } else if (fromBottom < bevel) {
          level = fromBottom == 0 ? 4 : 5;
        } else if (fromRight < bevel) {
          level = fromRight == 0 ? 5 : 6;
        } else {
          // Face: a gentle top-to-bottom gradient.
          const int face = size - 2 - 2 * bevel;
          level = 10 - (2 * (y - 1 - bevel)) / (face > 1 ? face - 1 : 1);
        }
      }
      cell.Put(x, y, Shade(ramp, level));
    }
  }
  if (size == 8) {
    cell.Put(3, 3, Shade(ramp, 12));  // a glint on the tiny face
    return;
  }
  // The emblem, engraved: dark where it is cut, a lit lip below-right.
  const bool large = size == 24;
  const std::vector<std::string_view>& emblem = large ? kLargeEmblems[colour] : kSmallEmblems[colour];
  const int grid = large ? 12 : 8;
  const int scale = size == 32 ? 2 : 1;
  const int origin = (size - grid * scale) / 2;
  auto emblemAt = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= grid * scale || y >= grid * scale) return false;
    return emblem[y / scale][x / scale] == '#';
  };
  for (int y = 0; y < grid * scale; ++y) {
    for (int x = 0; x < grid * scale; ++x) {
      if (emblemAt(x, y)) {
        cell.Put(origin + x, origin + y, Shade(ramp, 5));
      } else if (emblemAt(x - 1, y - 1)) {
        cell.Put(origin + x, origin + y, Shade(ramp, 12));
      }
    }
  }
}

}  // namespace

void DrawBlocks(IndexedImage& sheet) {
  for (int kind = 0; kind < 16; ++kind) {
    Cell cell = ShapeCellOf(sheet, shape::kBlockFirst + kind);
    DrawBlock(cell, 8 * (kind / 4 + 1), kind % 4);
  }
}

}  // namespace assetgen
