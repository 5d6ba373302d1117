#include "tools/make_assets/file_formats.h"

#include <string_view>

namespace assetgen {
namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

void PutTag(std::vector<std::uint8_t>& out, std::string_view tag) {
  for (char c : tag) out.push_back(static_cast<std::uint8_t>(c));
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp8(const IndexedImage& image, const Palette& palette) {
  const auto width = static_cast<std::uint32_t>(image.Width());
  const auto height = static_cast<std::uint32_t>(image.Height());
  const std::uint32_t stride = (width + 3) & ~3u;
  const std::uint32_t pixelOffset = 14 + 40 + 256 * 4;
  const std::uint32_t imageSize = stride * height;

  std::vector<std::uint8_t> out;
  out.reserve(pixelOffset + imageSize);
  PutTag(out, "BM");
  Put32(out, pixelOffset + imageSize);
  Put32(out, 0);  // two reserved words
  Put32(out, pixelOffset);

  Put32(out, 40);
  Put32(out, width);
  Put32(out, height);
  Put16(out, 1);   // planes
  Put16(out, 8);   // bits per pixel
  Put32(out, 0);   // BI_RGB
  Put32(out, imageSize);
  Put32(out, 2835);  // 72 dots per inch, in dots per metre
  Put32(out, 2835);
  Put32(out, 256);  // colours used
  Put32(out, 0);    // all colours important

  for (const Rgb& c : palette) {
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }
  for (std::uint32_t row = 0; row < height; ++row) {
    const int y = static_cast<int>(height - 1 - row);
    for (std::uint32_t x = 0; x < stride; ++x) {
      out.push_back(x < width ? image.Get(static_cast<int>(x), y) : 0);
    }
  }
  return out;
}

std::vector<std::uint8_t> EncodeWav16Mono(const std::vector<std::int16_t>& samples) {
  const auto dataSize = static_cast<std::uint32_t>(samples.size() * 2);
  std::vector<std::uint8_t> out;
  out.reserve(44 + dataSize);
  PutTag(out, "RIFF");
  Put32(out, 4 + (8 + 16) + (8 + dataSize));
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(out, 16);
  Put16(out, 1);  // PCM
  Put16(out, 1);  // mono
  Put32(out, kSampleRate);
  Put32(out, kSampleRate * 2);
  Put16(out, 2);   // block alignment
  Put16(out, 16);  // bits per sample
  PutTag(out, "data");
  Put32(out, dataSize);
  for (std::int16_t s : samples) Put16(out, static_cast<std::uint16_t>(s));
  return out;
}

}  // namespace assetgen
