// Reference pictures for the whole-game tests: PNG files of 0x00RRGGBB
// pixels, read and written with libpng.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace game_test {

struct TImage {
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;
  std::vector<std::uint32_t> Pixels;  // 0x00RRGGBB, row by row

  std::uint32_t At(std::uint32_t x, std::uint32_t y) const { return Pixels[std::size_t{y} * Width + x]; }
};

// False with a reason when the file cannot be read as a PNG.
bool ReadPng(const std::string& path, TImage& image, std::string& error);
// False with a reason when the file cannot be written.
bool WritePng(const std::string& path, const TImage& image, std::string& error);

// Pixels that differ between two pictures of one size, and where the first
// of them lies.
struct TImageDifference {
  std::size_t Count = 0;
  std::uint32_t FirstX = 0, FirstY = 0;
  std::uint32_t Expected = 0, Actual = 0;
};
TImageDifference Compare(const TImage& expected, const TImage& actual);

}  // namespace game_test
