// Small readers for the committed files, written from the formats' layout
// rather than shared with the generator, so a mistake in the generator's
// writer cannot hide behind the same mistake in the check.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assettest {

std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
std::string CommittedPath(const std::string& name);

std::uint32_t Le16(const std::vector<std::uint8_t>& b, std::size_t at);
std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at);

struct Colour {
  int r = 0;
  int g = 0;
  int b = 0;
  bool operator==(const Colour&) const = default;
};

// An 8-bit BMP as the game's loader reads it: rows bottom-up, the colour
// table right after a 40-byte header. Empty (width 0) when the file is not
// such a bitmap; WHY says what was wrong.
struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<Colour> palette;          // 256 entries
  std::vector<std::uint8_t> pixels;     // top row first
  std::uint8_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};
Bitmap ParseBitmap(const std::vector<std::uint8_t>& file, std::string& why);

// A 16-bit mono PCM wave: the "fmt " chunk's fields and the samples.
struct Wave {
  std::uint32_t formatTag = 0;
  std::uint32_t channels = 0;
  std::uint32_t sampleRate = 0;
  std::uint32_t byteRate = 0;
  std::uint32_t blockAlign = 0;
  std::uint32_t bitsPerSample = 0;
  std::uint32_t fmtSize = 0;
  std::vector<std::int16_t> samples;
};
// False (with WHY) when the file is not a RIFF WAVE with "fmt " then "data".
bool ParseWave(const std::vector<std::uint8_t>& file, Wave& wave, std::string& why);

}  // namespace assettest
