// Pixel formats and pixel memory shared by DirectDraw and GDI.
//
// A PixelView is a window onto pixel memory that somebody else owns (a
// DirectDraw surface, a GDI bitmap, the emulated screen). The helpers convert
// between 8-bit RGB channels and raw pixel values of a format.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace platform {

struct PixelFormat {
  std::uint32_t bitsPerPixel = 0;  // 8 (palettised), 16, 24 or 32
  std::uint32_t redMask = 0;
  std::uint32_t greenMask = 0;
  std::uint32_t blueMask = 0;
  std::uint32_t alphaMask = 0;

  bool Palettised() const { return bitsPerPixel == 8; }
  std::uint32_t BytesPerPixel() const { return bitsPerPixel / 8; }
  bool operator==(const PixelFormat&) const = default;

  static PixelFormat Indexed8() { return {8, 0, 0, 0, 0}; }
  static PixelFormat Rgb565() { return {16, 0xF800, 0x07E0, 0x001F, 0}; }
  static PixelFormat Rgb555() { return {16, 0x7C00, 0x03E0, 0x001F, 0}; }
  static PixelFormat Rgb888() { return {24, 0xFF0000, 0x00FF00, 0x0000FF, 0}; }
  static PixelFormat Xrgb8888() { return {32, 0xFF0000, 0x00FF00, 0x0000FF, 0}; }
  static PixelFormat Argb8888() { return {32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000}; }
  // The format a display of BITS bits per pixel has (16 means 5-6-5).
  static PixelFormat ForDisplayDepth(std::uint32_t bits);
};

struct PixelView {
  std::uint8_t* bits = nullptr;
  std::int32_t pitch = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  PixelFormat format{};
  const PALETTEENTRY* palette = nullptr;  // 256 entries for 8-bit views, or none

  std::uint8_t* Row(std::int32_t y) const { return bits + static_cast<std::intptr_t>(y) * pitch; }
  bool Contains(std::int32_t x, std::int32_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// Smallest pitch of WIDTH pixels, rounded up to a multiple of 4 bytes.
std::int32_t AlignedPitch(std::int32_t width, std::uint32_t bitsPerPixel);

// Raw pixel access; the caller keeps (x, y) inside the view.
std::uint32_t ReadPixel(const PixelView& view, std::int32_t x, std::int32_t y);
void WritePixel(const PixelView& view, std::int32_t x, std::int32_t y, std::uint32_t value);

// 8-bit channels to a raw value: each channel keeps its top bits (5-bit red
// of 255 is 31). Palettised formats are not handled here (see
// NearestPaletteIndex). Alpha fills the alpha mask.
std::uint32_t PackColor(const PixelFormat& format, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255);
// A raw value to 8-bit channels, widening by repeating the top bits, so that
// PackColor(UnpackColor(v)) == v for every value of the format.
void UnpackColor(const PixelFormat& format, std::uint32_t value, std::uint8_t& r, std::uint8_t& g, std::uint8_t& b);
std::uint8_t UnpackAlpha(const PixelFormat& format, std::uint32_t value);

// The entry of PALETTE (COUNT entries) closest to (r, g, b), by squared
// distance; the lowest index wins a tie.
int NearestPaletteIndex(const PALETTEENTRY* palette, int count, std::uint8_t r, std::uint8_t g, std::uint8_t b);

// Converts a view of any format to 32-bit 0x00RRGGBB pixels (DST holds
// width * height values). An 8-bit view without a palette maps index i to grey.
void ConvertToXrgb(const PixelView& source, std::uint32_t* dst);

}  // namespace platform
