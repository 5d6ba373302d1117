#include "platform/gdi/gdi_objects.h"

#include <algorithm>

#include "platform/system.h"

namespace platform::gdi {
namespace {

constexpr std::array<PALETTEENTRY, kStaticColours> kStatic = {{
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
    {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0},
    {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},
    {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
}};

void AddStockObjects(GdiState& s) {
  Palette defaultPalette;
  defaultPalette.entries.assign(kStatic.begin(), kStatic.end());
  defaultPalette.stock = true;
  s.defaultPalette = s.palettes.Add<HPALETTE>(std::move(defaultPalette));

  // The monochrome 1 x 1 bitmap every memory DC starts with, kept as one
  // black index of a black-and-white table.
  Bitmap defaultBitmap;
  AllocateBitmap(defaultBitmap.data, 1, 1, PixelFormat::Indexed8());
  defaultBitmap.data.colours[1] = PALETTEENTRY{255, 255, 255, 0};
  defaultBitmap.data.colourCount = 2;
  defaultBitmap.stock = true;
  s.defaultBitmap = s.bitmaps.Add<HBITMAP>(std::move(defaultBitmap));
}

// A new back end is a new machine: no device contexts, palettes or bitmaps
// survive it, and the system palette holds only the static colours again.
void Reset() {
  GdiState& s = State();
  s.dcs.Clear();
  s.palettes.Clear();
  s.bitmaps.Clear();
  AddStockObjects(s);
  ResetSystemPalette();
}

[[maybe_unused]] const bool registered = (RegisterReset(Reset), true);

}  // namespace

GdiState& State() {
  static GdiState* state = [] {
    auto* s = new GdiState;
    AddStockObjects(*s);
    return s;
  }();
  return *state;
}

DeviceContext* FindDC(HDC dc) { return State().dcs.Find(dc); }
Palette* FindPalette(HPALETTE palette) { return State().palettes.Find(palette); }
Bitmap* FindBitmap(HBITMAP bitmap) { return State().bitmaps.Find(bitmap); }

const std::array<PALETTEENTRY, kStaticColours>& StaticColours() { return kStatic; }

bool IsStaticEntry(int index) { return index < kFirstFreeEntry || index > kLastFreeEntry; }

void ResetSystemPalette() {
  GdiState& s = State();
  s.systemPalette.fill(PALETTEENTRY{0, 0, 0, 0});
  s.systemInUse.fill(false);
  for (int i = 0; i < kFirstFreeEntry; ++i) {
    s.systemPalette[i] = kStatic[i];
    s.systemPalette[kLastFreeEntry + 1 + i] = kStatic[kFirstFreeEntry + i];
    s.systemInUse[i] = true;
    s.systemInUse[kLastFreeEntry + 1 + i] = true;
  }
}

bool DisplayPalettised() { return CurrentDisplayMode().bitsPerPixel == 8; }

PixelFormat DisplayFormat() { return PixelFormat::ForDisplayDepth(CurrentDisplayMode().bitsPerPixel); }

bool AllocateBitmap(BitmapData& bitmap, std::int32_t width, std::int32_t height, const PixelFormat& format) {
  if (width <= 0 || height <= 0) return false;
  if (static_cast<std::int64_t>(width) * height > kMaxBitmapPixels) return false;
  bitmap.width = width;
  bitmap.height = height;
  bitmap.format = format;
  bitmap.pitch = AlignedPitch(width, format.bitsPerPixel);
  bitmap.bits.assign(static_cast<std::size_t>(bitmap.pitch) * static_cast<std::size_t>(height), 0);
  bitmap.colours.fill(PALETTEENTRY{0, 0, 0, 0});
  bitmap.colourCount = format.Palettised() ? 256 : 0;
  return true;
}

bool DcPixels(const DeviceContext& dc, Picture& picture) {
  if (dc.kind == DcKind::Surface) {
    picture.view = dc.view;
    picture.colours = ViewPalette(dc.view);
    picture.colourCount = 256;
    return true;
  }
  if (dc.kind == DcKind::Memory) {
    if (const Bitmap* bitmap = FindBitmap(dc.bitmap)) {
      picture.view = bitmap->data.View();
      picture.colours = bitmap->data.colours.data();
      picture.colourCount = std::max(1, bitmap->data.colourCount);
      return true;
    }
  }
  return false;
}

void FreeDC(HDC hdc) {
  GdiState& s = State();
  DeviceContext* dc = s.dcs.Find(hdc);
  if (!dc) return;
  if (Palette* palette = FindPalette(dc->palette)) --palette->selections;
  if (Bitmap* bitmap = FindBitmap(dc->bitmap); bitmap && bitmap->selectedInto == hdc) bitmap->selectedInto = nullptr;
  s.dcs.Remove(hdc);
}

const PALETTEENTRY* ViewPalette(const PixelView& view) {
  return view.palette ? view.palette : State().systemPalette.data();
}

COLORREF ResolveColour(const DeviceContext& dc, COLORREF colour) {
  switch (colour >> 24) {
    case 0x01: {
      const Palette* palette = FindPalette(dc.palette);
      if (!palette || palette->entries.empty()) return 0;
      const std::size_t index = colour & 0xFFFF;
      const PALETTEENTRY& e = palette->entries[index < palette->entries.size() ? index : 0];
      return RGB(e.peRed, e.peGreen, e.peBlue);
    }
    default: return colour & 0x00FFFFFF;
  }
}

}  // namespace platform::gdi
