// Byte-exact encoders for the two file formats the game loads, and PNG for
// the icons a desktop shows.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/make_assets/indexed_image.h"
#include "tools/make_assets/palette.h"

namespace assetgen {

// An 8-bit BMP: 14-byte file header, 40-byte information header, a full
// 256-entry colour table (colours-used 256), rows bottom-up, each padded to
// a multiple of 4 bytes. The height is stored positive: the game's loader
// reads it as unsigned and places rows bottom-up.
std::vector<std::uint8_t> EncodeBmp8(const IndexedImage& image, const Palette& palette);

constexpr int kSampleRate = 22050;

// A RIFF WAVE file: a 16-byte PCM "fmt " chunk (mono, 16-bit, 22050 Hz) and
// then the "data" chunk.
std::vector<std::uint8_t> EncodeWav16Mono(const std::vector<std::int16_t>& samples);

// An 8-bit palette PNG (colour type 3) with the whole palette, entry 0
// transparent, and the image data in stored (uncompressed) deflate blocks:
// the bytes depend on nothing but the picture.
std::vector<std::uint8_t> EncodePng8(const IndexedImage& image, const Palette& palette);

}  // namespace assetgen
