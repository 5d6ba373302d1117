// Feeds arbitrary bytes to the BMP decoder and draws whatever it accepts
// onto an 8-bit and a 16-bit picture, part of it outside each, so that the
// colour mapping and clipping see every decoded format too.
#include <array>
#include <cstdint>
#include <vector>

#include "platform/gdi.h"
#include "platform/gdi/surface_dc.h"
#include "platform/pixels.h"
#include "platform/stream.h"

namespace {

constexpr int kSide = 24;

std::array<PALETTEENTRY, 256> Palette() {
  std::array<PALETTEENTRY, 256> palette{};
  for (int i = 0; i < 256; ++i)
    palette[i] = PALETTEENTRY{static_cast<BYTE>(i * 37), static_cast<BYTE>(i * 11), static_cast<BYTE>(255 - i), 0};
  return palette;
}

void DrawOnto(HDC source, const platform::PixelFormat& format, const PALETTEENTRY* palette) {
  std::vector<std::uint8_t> memory(static_cast<std::size_t>(platform::AlignedPitch(kSide, format.bitsPerPixel)) * kSide);
  const platform::PixelView view{memory.data(), platform::AlignedPitch(kSide, format.bitsPerPixel), kSide, kSide, format,
                                 palette};
  HDC dest = platform::gdi::CreateSurfaceDC(view);
  BitBlt(dest, -3, 5, 40, 40, source, 1, 0, SRCCOPY);
  GetPixel(source, 0, 0);
  platform::gdi::DeleteSurfaceDC(dest);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::MemoryStream stream(std::vector<std::uint8_t>(data, data + size));
  HBITMAP bitmap = platform::gdi::LoadBitmapFromStream(stream);
  if (!bitmap) return 0;
  static const std::array<PALETTEENTRY, 256> palette = Palette();
  HDC memory = CreateCompatibleDC(nullptr);
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  DrawOnto(memory, platform::PixelFormat::Indexed8(), palette.data());
  DrawOnto(memory, platform::PixelFormat::Rgb565(), nullptr);
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(bitmap);
  return 0;
}
