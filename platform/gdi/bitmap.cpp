// Bitmaps: made compatible with a DC, loaded from BMP files and streams,
// described by GetObjectA and deleted with the other objects.
#include <cstring>

#include "platform/gdi.h"
#include "platform/gdi/bmp_decoder.h"
#include "platform/gdi/gdi_objects.h"

namespace platform::gdi {
namespace {

// Nearest-pixel scaling for LoadImageA's requested size.
bool Scale(const BitmapData& from, std::int32_t width, std::int32_t height, BitmapData& to) {
  if (!AllocateBitmap(to, width, height, from.format)) return false;
  to.colours = from.colours;
  to.colourCount = from.colourCount;
  const std::size_t bytes = from.format.BytesPerPixel();
  for (std::int32_t y = 0; y < height; ++y) {
    const std::int64_t sy = static_cast<std::int64_t>(y) * from.height / height;
    const std::uint8_t* src = from.bits.data() + sy * from.pitch;
    std::uint8_t* dst = to.bits.data() + static_cast<std::int64_t>(y) * to.pitch;
    for (std::int32_t x = 0; x < width; ++x) {
      const std::int64_t sx = static_cast<std::int64_t>(x) * from.width / width;
      std::memcpy(dst + x * bytes, src + sx * bytes, bytes);
    }
  }
  return true;
}

HBITMAP AddBitmap(BitmapData&& data) {
  Bitmap bitmap;
  bitmap.data = std::move(data);
  return State().bitmaps.Add<HBITMAP>(std::move(bitmap));
}

}  // namespace

HBITMAP LoadBitmapFromStream(Stream& stream) {
  if (Faulted("LoadBitmapFromStream")) return nullptr;
  BitmapData data;
  if (!DecodeBmp(stream, data)) return nullptr;
  return AddBitmap(std::move(data));
}

}  // namespace platform::gdi

using namespace platform::gdi;

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  if (Faulted("CreateCompatibleBitmap")) return nullptr;
  const DeviceContext* dc = FindDC(hdc);
  if (!dc || width < 0 || height < 0) return nullptr;
  if (width == 0 || height == 0) return State().defaultBitmap;

  platform::PixelFormat format = DisplayFormat();
  const PALETTEENTRY* colours = State().systemPalette.data();
  int colourCount = 256;
  if (dc->kind == DcKind::Surface) {
    format = dc->view.format;
    colours = ViewPalette(dc->view);
  } else if (dc->kind == DcKind::Memory) {
    if (const Bitmap* selected = FindBitmap(dc->bitmap)) {
      format = selected->data.format;
      colours = selected->data.colours.data();
      colourCount = selected->data.colourCount;
    }
  }
  BitmapData data;
  if (!AllocateBitmap(data, width, height, format)) return nullptr;
  if (format.Palettised()) {
    std::memcpy(data.colours.data(), colours, sizeof(PALETTEENTRY) * static_cast<std::size_t>(colourCount));
    data.colourCount = colourCount;
  }
  return AddBitmap(std::move(data));
}

int GetObjectA(HGDIOBJ object, int size, LPVOID buffer) {
  if (Faulted("GetObjectA")) return 0;
  if (const Bitmap* bitmap = FindBitmap(static_cast<HBITMAP>(object))) {
    if (!buffer) return sizeof(BITMAP);
    if (size < static_cast<int>(sizeof(BITMAP))) return 0;
    const BitmapData& d = bitmap->data;
    BITMAP info{0, d.width, d.height, d.pitch, 1, static_cast<WORD>(d.format.bitsPerPixel),
                const_cast<std::uint8_t*>(d.bits.data())};
    std::memcpy(buffer, &info, sizeof info);
    return sizeof(BITMAP);
  }
  if (const Palette* palette = FindPalette(static_cast<HPALETTE>(object))) {
    if (!buffer) return sizeof(WORD);
    if (size < static_cast<int>(sizeof(WORD))) return 0;
    const WORD count = static_cast<WORD>(palette->entries.size());
    std::memcpy(buffer, &count, sizeof count);
    return sizeof(WORD);
  }
  return 0;
}

BOOL DeleteObject(HGDIOBJ object) {
  if (Faulted("DeleteObject")) return FALSE;
  GdiState& s = State();
  if (const Bitmap* bitmap = FindBitmap(static_cast<HBITMAP>(object))) {
    if (bitmap->stock) return TRUE;
    if (bitmap->selectedInto) return FALSE;
    s.bitmaps.Remove(object);
    return TRUE;
  }
  if (const Palette* palette = FindPalette(static_cast<HPALETTE>(object))) {
    if (palette->stock) return TRUE;
    if (palette->selections > 0) return FALSE;
    s.palettes.Remove(object);
    return TRUE;
  }
  return FALSE;
}

HANDLE LoadImageA(HINSTANCE, LPCSTR name, UINT type, int width, int height, UINT flags) {
  if (Faulted("LoadImageA")) return nullptr;
  // Without LR_LOADFROMFILE NAME would be a resource of a module, and no
  // module here carries resources.
  if (type != IMAGE_BITMAP || !(flags & LR_LOADFROMFILE) || !name || width < 0 || height < 0) return nullptr;
  BitmapData data;
  try {
    platform::FileStream file(name);
    if (!DecodeBmp(file, data)) return nullptr;
  } catch (const platform::EInOutError&) {
    return nullptr;
  }
  const std::int32_t w = width ? width : data.width;
  const std::int32_t h = height ? height : data.height;
  if (w != data.width || h != data.height) {
    BitmapData scaled;
    if (!Scale(data, w, h, scaled)) return nullptr;
    data = std::move(scaled);
  }
  return AddBitmap(std::move(data));
}
