#include "tests/assets/asset_readers.h"

#include <fstream>
#include <iterator>

namespace assettest {

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string CommittedPath(const std::string& name) { return std::string(BRIN_ASSETS_DIR) + "/" + name; }

std::uint32_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8);
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) { return Le16(b, at) | (Le16(b, at + 2) << 16); }

Bitmap ParseBitmap(const std::vector<std::uint8_t>& file, std::string& why) {
  Bitmap bmp;
  if (file.size() < 54 + 1024) {
    why = "shorter than the headers and colour table";
    return bmp;
  }
  if (file[0] != 'B' || file[1] != 'M') {
    why = "no BM signature";
    return bmp;
  }
  if (Le32(file, 2) != file.size()) {
    why = "file size field " + std::to_string(Le32(file, 2)) + " but " + std::to_string(file.size()) + " bytes";
    return bmp;
  }
  const std::uint32_t headerSize = Le32(file, 14);
  const auto width = static_cast<std::int32_t>(Le32(file, 18));
  const auto height = static_cast<std::int32_t>(Le32(file, 22));
  const std::uint32_t planes = Le16(file, 26);
  const std::uint32_t bits = Le16(file, 28);
  const std::uint32_t compression = Le32(file, 30);
  const std::uint32_t coloursUsed = Le32(file, 46);
  const std::uint32_t pixelOffset = Le32(file, 10);
  if (headerSize != 40 || planes != 1 || bits != 8 || compression != 0) {
    why = "not an uncompressed 8-bit bitmap with a 40-byte header";
    return bmp;
  }
  if (width <= 0 || height <= 0) {
    why = "width and height must be positive (rows stored bottom-up)";
    return bmp;
  }
  if (coloursUsed != 256 && coloursUsed != 0) {
    why = "colour table of " + std::to_string(coloursUsed) + " entries, not 256";
    return bmp;
  }
  const std::size_t stride = (static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
  if (pixelOffset != 54 + 1024 || file.size() != pixelOffset + stride * static_cast<std::size_t>(height)) {
    why = "pixel data not right after the colour table, or the wrong size";
    return bmp;
  }
  bmp.palette.resize(256);
  for (std::size_t i = 0; i < 256; ++i) {
    const std::size_t at = 54 + 4 * i;
    bmp.palette[i] = {file[at + 2], file[at + 1], file[at]};
  }
  bmp.pixels.resize(static_cast<std::size_t>(width) * height);
  for (std::int32_t y = 0; y < height; ++y) {
    const std::size_t row = pixelOffset + stride * static_cast<std::size_t>(height - 1 - y);
    for (std::int32_t x = 0; x < width; ++x) bmp.pixels[static_cast<std::size_t>(y) * width + x] = file[row + x];
  }
  bmp.width = width;
  bmp.height = height;
  return bmp;
}

bool ParseWave(const std::vector<std::uint8_t>& file, Wave& wave, std::string& why) {
  auto tagAt = [&](std::size_t at, const char* tag) {
    return at + 4 <= file.size() && std::string(file.begin() + static_cast<std::ptrdiff_t>(at),
                                                 file.begin() + static_cast<std::ptrdiff_t>(at + 4)) == tag;
  };
  if (!tagAt(0, "RIFF") || !tagAt(8, "WAVE")) {
    why = "not a RIFF WAVE file";
    return false;
  }
  if (Le32(file, 4) + 8 != file.size()) {
    why = "RIFF size does not cover the file exactly";
    return false;
  }
  if (!tagAt(12, "fmt ")) {
    why = "first chunk is not \"fmt \"";
    return false;
  }
  wave.fmtSize = Le32(file, 16);
  if (wave.fmtSize != 16) {
    why = "\"fmt \" chunk of " + std::to_string(wave.fmtSize) + " bytes";
    return false;
  }
  wave.formatTag = Le16(file, 20);
  wave.channels = Le16(file, 22);
  wave.sampleRate = Le32(file, 24);
  wave.byteRate = Le32(file, 28);
  wave.blockAlign = Le16(file, 32);
  wave.bitsPerSample = Le16(file, 34);
  if (!tagAt(36, "data")) {
    why = "\"data\" does not follow \"fmt \"";
    return false;
  }
  const std::uint32_t dataSize = Le32(file, 40);
  if (44 + static_cast<std::size_t>(dataSize) != file.size() || dataSize % 2 != 0) {
    why = "\"data\" size does not match the file";
    return false;
  }
  wave.samples.resize(dataSize / 2);
  for (std::size_t i = 0; i < wave.samples.size(); ++i) {
    wave.samples[i] = static_cast<std::int16_t>(Le16(file, 44 + 2 * i));
  }
  return true;
}

}  // namespace assettest
