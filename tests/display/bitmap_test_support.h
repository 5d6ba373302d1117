// Helpers of the bitmap, restore and presentation tests: BMP files written
// field by field (for the cases no tool writes), surface memory read back
// and filled, and the committed ImageMagick-made files with their decodes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/ddraw.h"
#include "platform/stream.h"
#include "surfaces/brin_surface.h"

namespace brin::testing {

inline std::string BitmapPath(const std::string& name) { return std::string(BITMAP_TEST_DATA) + name; }

inline std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// One BMP to write. PIXELS are the stored rows, padding included, in the
// order they are stored; EXTRA goes between the information header and the
// colour table (masks of a 40-byte bitfield header).
struct BmpLayout {
  std::int32_t width = 1;
  std::int32_t height = 1;
  std::uint16_t bits = 24;
  std::uint32_t compression = 0;
  std::uint32_t headerSize = 40;
  std::uint32_t colorsUsed = 0;
  std::vector<std::uint8_t> extra;
  std::vector<std::uint8_t> table;  // blue, green, red, reserved per entry
  std::vector<std::uint8_t> pixels;
  std::int64_t pixelOffset = -1;  // -1: right after the table
  char magic[2] = {'B', 'M'};
};

inline void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline std::vector<std::uint8_t> MakeBmp(const BmpLayout& s) {
  const std::uint32_t offset = s.pixelOffset >= 0 ? static_cast<std::uint32_t>(s.pixelOffset)
                                                  : 14 + s.headerSize + static_cast<std::uint32_t>(s.extra.size() + s.table.size());
  std::vector<std::uint8_t> out;
  out.push_back(static_cast<std::uint8_t>(s.magic[0]));
  out.push_back(static_cast<std::uint8_t>(s.magic[1]));
  PutLe(out, offset + static_cast<std::uint32_t>(s.pixels.size()), 4);
  PutLe(out, 0, 4);
  PutLe(out, offset, 4);
  PutLe(out, s.headerSize, 4);
  PutLe(out, static_cast<std::uint32_t>(s.width), 4);
  PutLe(out, static_cast<std::uint32_t>(s.height), 4);
  PutLe(out, 1, 2);
  PutLe(out, s.bits, 2);
  PutLe(out, s.compression, 4);
  PutLe(out, static_cast<std::uint32_t>(s.pixels.size()), 4);
  PutLe(out, 2835, 4);
  PutLe(out, 2835, 4);
  PutLe(out, s.colorsUsed, 4);
  PutLe(out, s.colorsUsed, 4);
  out.resize(14 + s.headerSize, 0);  // longer headers: zeros after the 40 bytes
  out.insert(out.end(), s.extra.begin(), s.extra.end());
  out.insert(out.end(), s.table.begin(), s.table.end());
  if (s.pixelOffset >= 0) out.resize(offset, 0);
  out.insert(out.end(), s.pixels.begin(), s.pixels.end());
  return out;
}

// Stored rows of 16-bit pixels: WORDS row by row as stored, each row padded.
inline std::vector<std::uint8_t> WordRows(const std::vector<std::vector<std::uint16_t>>& rows) {
  std::vector<std::uint8_t> out;
  for (const auto& row : rows) {
    for (std::uint16_t w : row) PutLe(out, w, 2);
    while (out.size() % 4) out.push_back(0);
  }
  return out;
}

// A "BWA0" archive holding ITEMS stored as they are.
inline std::vector<std::uint8_t> MakeArchive(const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& items) {
  std::vector<std::uint8_t> out;
  PutLe(out, 0, 4);
  out.insert(out.end(), {'B', 'W', 'A', '0'});
  PutLe(out, static_cast<std::uint32_t>(items.size()), 4);
  out.resize(256, 0);
  std::uint32_t offset = static_cast<std::uint32_t>(256 + 268 * items.size());
  for (const auto& [id, bytes] : items) {
    PutLe(out, offset, 4);
    PutLe(out, static_cast<std::uint32_t>(bytes.size()), 4);
    PutLe(out, static_cast<std::uint32_t>(bytes.size()), 4);
    std::vector<std::uint8_t> name(256, 0);
    std::copy(id.begin(), id.end(), name.begin());
    out.insert(out.end(), name.begin(), name.end());
    offset += static_cast<std::uint32_t>(bytes.size());
  }
  for (const auto& item : items) out.insert(out.end(), item.second.begin(), item.second.end());
  return out;
}

inline platform::MemoryStream StreamOf(const std::vector<std::uint8_t>& bytes) { return platform::MemoryStream(bytes); }

// The surface's memory as raw pixel values, row by row.
inline std::vector<std::uint32_t> SurfacePixels(TBrinGenSurface& surface) {
  std::vector<std::uint32_t> pixels;
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  if (surface.DDSurface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK) return pixels;
  const DWORD bytes = desc.ddpfPixelFormat.dwRGBBitCount / 8;
  for (DWORD y = 0; y < desc.dwHeight; ++y) {
    const auto* row = static_cast<const std::uint8_t*>(desc.lpSurface) + static_cast<std::ptrdiff_t>(y) * desc.lPitch;
    for (DWORD x = 0; x < desc.dwWidth; ++x) {
      std::uint32_t v = 0;
      std::memcpy(&v, row + x * bytes, bytes);
      pixels.push_back(v);
    }
  }
  surface.DDSurface->Unlock(nullptr);
  return pixels;
}

// An off-screen A8R8G8B8 surface in system memory: no display has that
// format, so the alpha cases wrap one of these in a TBrinGenSurface.
inline IDirectDrawSurface7* CreateArgbSurface(IDirectDraw7* ddraw, DWORD width, DWORD height) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc.dwWidth = width;
  desc.dwHeight = height;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  desc.ddpfPixelFormat.dwSize = sizeof desc.ddpfPixelFormat;
  desc.ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_ALPHAPIXELS;
  desc.ddpfPixelFormat.dwRGBBitCount = 32;
  desc.ddpfPixelFormat.dwRBitMask = 0xFF0000;
  desc.ddpfPixelFormat.dwGBitMask = 0xFF00;
  desc.ddpfPixelFormat.dwBBitMask = 0xFF;
  desc.ddpfPixelFormat.dwRGBAlphaBitMask = 0xFF000000;
  IDirectDrawSurface7* surface = nullptr;
  return ddraw->CreateSurface(&desc, &surface, nullptr) == DD_OK ? surface : nullptr;
}

inline void FillSurface(TBrinGenSurface& surface, std::uint32_t value) {
  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  fx.dwFillColor = value;
  surface.DDSurface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

}  // namespace brin::testing
