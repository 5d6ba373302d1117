// Bevel shading of flat silhouettes: light falls from the upper left, so a
// region's upper and left edges are lit, its lower and right edges are in
// shadow, and a dark outline rings the whole shape. Pixel art drawn this way
// keeps one consistent light across the ship, the cursor, blocks and glyphs.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "tools/make_assets/indexed_image.h"
#include "tools/make_assets/palette.h"

namespace assetgen {

struct Region {
  char symbol;
  Ramp ramp;
};

struct BevelLevels {
  int corner = 15;     // lit on both the upper and the left side
  int lit = 13;        // upper or left edge
  int shadow = 5;      // lower or right edge
  int faceTop = 11;    // interior at the top of the shape ...
  int faceBottom = 8;  // ... and at its bottom
};

// Draws the silhouette ROWS at (x, y): each character names a region (a
// ramp); '.' and ' ' are empty. Edges between a region and empty space are
// shaded; OUTLINE (0 for none) fills the empty pixels that touch the shape,
// diagonals included.
void DrawBevelled(Cell& cell, int x, int y, const std::vector<std::string_view>& rows,
                  const std::vector<Region>& regions, const BevelLevels& levels, std::uint8_t outline);

// The same for a one-bit mask in one ramp.
void DrawBevelledMask(Cell& cell, int x, int y, const Mask& mask, Ramp ramp, const BevelLevels& levels,
                      std::uint8_t outline);

}  // namespace assetgen
