#include "tools/make_assets/indexed_image.h"

#include <algorithm>

namespace assetgen {

IndexedImage::IndexedImage(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height, 0) {}

Cell::Cell(IndexedImage& image, int left, int top, int width, int height)
    : image_(image), left_(left), top_(top), width_(width), height_(height) {}

void Cell::Put(int x, int y, std::uint8_t index) {
  if (!Contains(x, y)) return;
  image_.Set(left_ + x, top_ + y, index);
}

std::uint8_t Cell::Get(int x, int y) const {
  if (!Contains(x, y)) return 0;
  return image_.Get(left_ + x, top_ + y);
}

void Cell::FillRect(int x, int y, int w, int h, std::uint8_t index) {
  for (int yy = y; yy < y + h; ++yy) {
    for (int xx = x; xx < x + w; ++xx) Put(xx, yy, index);
  }
}

std::uint8_t Legend::Lookup(char symbol) const {
  for (const Entry& e : entries) {
    if (e.symbol == symbol) return e.index;
  }
  return 0;
}

void DrawPicture(Cell& cell, int x, int y, const std::vector<std::string_view>& rows, const Legend& legend) {
  for (std::size_t row = 0; row < rows.size(); ++row) {
    for (std::size_t col = 0; col < rows[row].size(); ++col) {
      const std::uint8_t index = legend.Lookup(rows[row][col]);
      if (index != 0) cell.Put(x + static_cast<int>(col), y + static_cast<int>(row), index);
    }
  }
}

Mask Mask::FromRows(const std::vector<std::string_view>& rows) {
  int w = 0;
  for (std::string_view r : rows) w = std::max(w, static_cast<int>(r.size()));
  Mask m(w, static_cast<int>(rows.size()));
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < static_cast<int>(rows[y].size()); ++x) {
      const char c = rows[y][x];
      m.SetAt(x, y, c != '.' && c != ' ');
    }
  }
  return m;
}

Mask Scale2x(const Mask& s) {
  Mask d(s.width * 2, s.height * 2);
  for (int y = 0; y < s.height; ++y) {
    for (int x = 0; x < s.width; ++x) {
      const bool p = s.At(x, y);
      const bool a = s.At(x, y - 1);
      const bool b = s.At(x + 1, y);
      const bool c = s.At(x - 1, y);
      const bool dn = s.At(x, y + 1);
      bool e0 = p, e1 = p, e2 = p, e3 = p;
      if (c == a && c != dn && a != b) e0 = a;
      if (a == b && a != c && b != dn) e1 = b;
      if (dn == c && dn != b && c != a) e2 = c;
      if (b == dn && b != a && dn != c) e3 = dn;
      d.SetAt(2 * x, 2 * y, e0);
      d.SetAt(2 * x + 1, 2 * y, e1);
      d.SetAt(2 * x, 2 * y + 1, e2);
      d.SetAt(2 * x + 1, 2 * y + 1, e3);
    }
  }
  return d;
}

Mask Double(const Mask& s) {
  Mask d(s.width * 2, s.height * 2);
  for (int y = 0; y < d.height; ++y) {
    for (int x = 0; x < d.width; ++x) d.SetAt(x, y, s.At(x / 2, y / 2));
  }
  return d;
}

}  // namespace assetgen
