#include "tests/game/scenes/reference_image.h"

#include <png.h>

#include <cstring>

namespace game_test {

bool ReadPng(const std::string& path, TImage& image, std::string& error) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) {
    error = png.message;
    return false;
  }
  png.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB words
  std::vector<std::uint32_t> pixels(std::size_t{png.width} * png.height);
  if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
    error = png.message;
    png_image_free(&png);
    return false;
  }
  for (std::uint32_t& p : pixels) p &= 0x00FFFFFFu;
  image.Width = png.width;
  image.Height = png.height;
  image.Pixels = std::move(pixels);
  return true;
}

bool WritePng(const std::string& path, const TImage& image, std::string& error) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = image.Width;
  png.height = image.Height;
  png.format = PNG_FORMAT_BGRA;
  std::vector<std::uint32_t> opaque(image.Pixels);
  for (std::uint32_t& p : opaque) p |= 0xFF000000u;
  if (!png_image_write_to_file(&png, path.c_str(), 0, opaque.data(), 0, nullptr)) {
    error = png.message;
    return false;
  }
  return true;
}

TImageDifference Compare(const TImage& expected, const TImage& actual) {
  TImageDifference difference;
  for (std::uint32_t y = 0; y < expected.Height && y < actual.Height; ++y) {
    for (std::uint32_t x = 0; x < expected.Width && x < actual.Width; ++x) {
      if (expected.At(x, y) == actual.At(x, y)) continue;
      if (difference.Count++ == 0) {
        difference.FirstX = x;
        difference.FirstY = y;
        difference.Expected = expected.At(x, y);
        difference.Actual = actual.At(x, y);
      }
    }
  }
  return difference;
}

}  // namespace game_test
