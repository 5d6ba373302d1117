#include "tools/make_assets/shading.h"

#include <algorithm>
#include <string>

namespace assetgen {
namespace {

char SymbolAt(const std::vector<std::string_view>& rows, int x, int y) {
  if (y < 0 || y >= static_cast<int>(rows.size())) return '.';
  if (x < 0 || x >= static_cast<int>(rows[y].size())) return '.';
  return rows[y][x] == ' ' ? '.' : rows[y][x];
}

}  // namespace

void DrawBevelled(Cell& cell, int x, int y, const std::vector<std::string_view>& rows,
                  const std::vector<Region>& regions, const BevelLevels& levels, std::uint8_t outline) {
  const int height = static_cast<int>(rows.size());
  int width = 0;
  for (std::string_view r : rows) width = std::max(width, static_cast<int>(r.size()));

  auto filled = [&](int px, int py) { return SymbolAt(rows, px, py) != '.'; };
  for (int py = -1; py <= height; ++py) {
    for (int px = -1; px <= width; ++px) {
      const char symbol = SymbolAt(rows, px, py);
      if (symbol == '.') {
        if (outline == 0) continue;
        bool touches = false;
        for (int dy = -1; dy <= 1 && !touches; ++dy) {
          for (int dx = -1; dx <= 1 && !touches; ++dx) touches = filled(px + dx, py + dy);
        }
        if (touches) cell.Put(x + px, y + py, outline);
        continue;
      }
      Ramp ramp = Ramp::Steel;
      for (const Region& r : regions) {
        if (r.symbol == symbol) ramp = r.ramp;
      }
      const bool up = filled(px, py - 1);
      const bool left = filled(px - 1, py);
      const bool down = filled(px, py + 1);
      const bool right = filled(px + 1, py);
      int level;
      if (!up && !left) {
        level = levels.corner;
      } else if (!up || !left) {
        level = levels.lit;
      } else if (!down || !right) {
        level = levels.shadow;
      } else {
        const int span = height > 1 ? height - 1 : 1;
        level = levels.faceTop + ((levels.faceBottom - levels.faceTop) * py) / span;
      }
      cell.Put(x + px, y + py, Shade(ramp, level));
    }
  }
}

void DrawBevelledMask(Cell& cell, int x, int y, const Mask& mask, Ramp ramp, const BevelLevels& levels,
                      std::uint8_t outline) {
  std::vector<std::string> text(static_cast<std::size_t>(mask.height), std::string(mask.width, '.'));
  for (int py = 0; py < mask.height; ++py) {
    for (int px = 0; px < mask.width; ++px) {
      if (mask.At(px, py)) text[py][px] = 'a';
    }
  }
  const std::vector<std::string_view> rows(text.begin(), text.end());
  DrawBevelled(cell, x, y, rows, {{'a', ramp}}, levels, outline);
}

}  // namespace assetgen
