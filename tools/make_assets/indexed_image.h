// Palette-indexed pictures and clipped drawing cells for the asset generator.
//
// Every sprite is drawn through a Cell, a clipped window onto a sheet, so a
// drawing routine that overshoots its cell can never leak into a neighbour:
// the sheets must hold each shape exactly inside the rectangle the game's
// shape table gives it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace assetgen {

class IndexedImage {
 public:
  IndexedImage(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  std::uint8_t Get(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  void Set(int x, int y, std::uint8_t index) { pixels_[static_cast<std::size_t>(y) * width_ + x] = index; }
  const std::vector<std::uint8_t>& Pixels() const { return pixels_; }

 private:
  int width_;
  int height_;
  std::vector<std::uint8_t> pixels_;
};

// A rectangle of an image with its own origin. Writes outside the rectangle
// are dropped; reads outside it return 0 (transparent).
class Cell {
 public:
  Cell(IndexedImage& image, int left, int top, int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  void Put(int x, int y, std::uint8_t index);
  std::uint8_t Get(int x, int y) const;
  void FillRect(int x, int y, int w, int h, std::uint8_t index);

 private:
  IndexedImage& image_;
  int left_;
  int top_;
  int width_;
  int height_;
};

// Maps the characters of a pixel-art picture to palette indices; '.' and ' '
// are transparent, and so is any character the legend does not name.
struct Legend {
  struct Entry {
    char symbol;
    std::uint8_t index;
  };
  std::vector<Entry> entries;
  std::uint8_t Lookup(char symbol) const;
};

// Draws ROWS (one string per pixel row) at (x, y) of CELL; transparent
// characters leave the cell as it was.
void DrawPicture(Cell& cell, int x, int y, const std::vector<std::string_view>& rows, const Legend& legend);

// A one-bit picture: true where ROWS has a character other than '.' or ' '.
struct Mask {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bits;

  Mask() = default;
  Mask(int w, int h) : width(w), height(h), bits(static_cast<std::size_t>(w) * h, 0) {}
  bool At(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height && bits[static_cast<std::size_t>(y) * width + x] != 0; }
  void SetAt(int x, int y, bool on) {
    if (x >= 0 && y >= 0 && x < width && y < height) bits[static_cast<std::size_t>(y) * width + x] = on ? 1 : 0;
  }
  static Mask FromRows(const std::vector<std::string_view>& rows);
};

// Doubles a mask with edge-directed smoothing (the Scale2x rule), so
// diagonal strokes become staircases of single pixels instead of 2 x 2 steps.
Mask Scale2x(const Mask& source);

// Doubles a mask pixel for pixel.
Mask Double(const Mask& source);

}  // namespace assetgen
